#include "ApplicationExit.h"

#include <cstdio>
#include <cstdlib>

namespace ApplicationExit {

namespace {

void endProcess()
{
    std::fflush(nullptr);
    std::_Exit(0);
}

Terminator &currentTerminator()
{
    static Terminator terminator = endProcess;
    return terminator;
}

} // namespace

Terminator setTerminator(Terminator terminator)
{
    Terminator previous = std::move(currentTerminator());
    currentTerminator() = terminator ? std::move(terminator) : Terminator(endProcess);
    return previous;
}

void terminate()
{
    const Terminator terminator = currentTerminator();
    terminator();
}

} // namespace ApplicationExit
