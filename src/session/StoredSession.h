#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The remote-selection rules that do not need a window: the stored address
// list, the port range, the address check and the first use of a family for
// logging. All of them read and write the "Preferences" section.
namespace StoredSession {

inline constexpr qint32 kLowestDestPort = 30000;
inline constexpr qint32 kHighestDestPort = 60000;
inline constexpr int kMaxAddressEntries = 32767;

// The port box's value: the leading number of the text, rounded halves to even.
// A value outside 32 bits reads as 0, which no range check accepts.
qint32 portFromText(const QString &text);
bool isValidDestPort(qint32 port);

// Only the digits 0 to 9 and "." are allowed; dots and octets are not counted.
bool isWellFormedAddress(const QString &address);

// The stored address list, entries "1".."N" in order, N the numeric reading
// of "NumberOfIPAddressed" (at most kMaxAddressEntries entries). On an empty
// store the first-run initialisation writes "NumberOfIPAddressed" = "1" and
// key "1" = "Add IP Address".
QStringList loadAddressList();

// Appends an address as entry N+1; duplicates are kept. A list already at
// kMaxAddressEntries entries, or an N that is no count of it (negative,
// beyond 32 bits), keeps the store as it is.
void appendAddress(const QString &address);

// When the family's log name is still missing: logging on, default log name.
// choice is "Ardix" or "Velto"; any other word writes nothing.
void firstUseOfFamilyForLogging(const QString &choice);

// Logging counts as enabled only for the exact stored text "True".
bool storedLoggingEnabled();

} // namespace StoredSession
