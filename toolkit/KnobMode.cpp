#include "toolkit/KnobMode.h"

#include <atomic>

namespace
{
std::atomic<long> processKnobMode{kCircularMode};
}

long getProcessKnobMode()
{
    return processKnobMode.load(std::memory_order_relaxed);
}

void setProcessKnobMode(long mode)
{
    if (mode >= kCircularMode && mode <= kLinearMode)
        processKnobMode.store(mode, std::memory_order_relaxed);
}
