#pragma once

// How long the lock window refuses further passwords after wrong ones: one
// second after the first, doubling with each further wrong password in a row,
// never more than half a minute. A right password starts the count afresh.
namespace UnlockDelay {

constexpr int kFirstMs = 1000;
constexpr int kLongestMs = 30000;

// The wait in milliseconds after the given number of wrong passwords in a row;
// 0 when there was none.
int afterFailures(int failures);

} // namespace UnlockDelay
