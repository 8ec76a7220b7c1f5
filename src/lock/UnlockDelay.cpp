#include "UnlockDelay.h"

namespace UnlockDelay {

int afterFailures(int failures)
{
    if (failures <= 0)
        return 0;
    // Doubling stops at the cap, so no count of failures can overflow.
    int delay = kFirstMs;
    for (int i = 1; i < failures && delay < kLongestMs; ++i)
        delay *= 2;
    return delay < kLongestMs ? delay : kLongestMs;
}

} // namespace UnlockDelay
