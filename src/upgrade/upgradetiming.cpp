#include "upgradetiming.h"

#include <algorithm>

bool UpgradeTiming::pause(MIRT_Sem wake, std::chrono::milliseconds length, Pause) const
{
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(length.count(), 0, 0x7fffffff);
    return MIRT_SemTimedWait(wake, unsigned(ms)) == 0;
}
