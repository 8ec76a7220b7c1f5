#pragma once

#include <functional>

// Several failures end the station at once, without closing windows or
// running further handlers (a time-out while closing, a GPS port held by
// another program, the end of a Velto run). Settings are flushed on every
// write and logs are replaced atomically, so nothing is lost by it. Tests
// replace the terminator to record the request instead of ending the process;
// callers therefore return right after asking for termination.
namespace ApplicationExit {

using Terminator = std::function<void()>;

Terminator setTerminator(Terminator terminator);
void terminate();

} // namespace ApplicationExit
