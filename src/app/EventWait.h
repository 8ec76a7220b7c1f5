#pragma once

#include <functional>

// The waits of the monitoring engine that keep serving events: sockets,
// timers and repaints go on while a controller waits for an SNMP answer, gives
// the radio's menu time between two commands, or closes. Each runs a nested
// event loop that sleeps until an event comes, never in fixed small steps.
// Any handler may run inside such a wait: code after one re-checks what it
// touches.
namespace EventWait {

// Serves events for about the given time.
void serveFor(int milliseconds);

// Serves events until done() holds. done() is checked after every event
// handled and at least every recheckMs, which covers a change made by a timer
// whose own handler is further up the stack (Qt does not fire a timer again
// while its handler runs).
void serveUntil(const std::function<bool()> &done, int recheckMs = 20);

} // namespace EventWait
