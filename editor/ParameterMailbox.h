#pragma once

#include "editor/ControlTags.h"

#include <atomic>
#include <cstdint>

// Hands parameter changes from whatever thread made them (the host's audio thread during
// automation playback included) to the GUI thread: the latest value of each parameter and one
// bit per parameter that says it changed. Lock-free and allocation-free.
class ParameterMailbox
{
  public:
    // Any thread. Indices outside 0..parameterCount-1 are ignored.
    void post(int index, float value)
    {
        if (index < 0 || index >= tag::kParameterCount)
            return;
        values[index].store(value, std::memory_order_relaxed);
        pending.fetch_or(std::uint32_t{1} << index, std::memory_order_release);
    }

    // GUI thread. Hands each parameter posted since the last take to apply(index, value), in
    // index order. A value posted meanwhile is handed again at the next take.
    template <class Apply> void takeAll(Apply&& apply)
    {
        const std::uint32_t changed = pending.exchange(0, std::memory_order_acquire);
        for (int index = 0; index < tag::kParameterCount; ++index)
            if (changed & (std::uint32_t{1} << index))
                apply(index, values[index].load(std::memory_order_relaxed));
    }

    // GUI thread. Forgets what was posted, before the controls read every value afresh.
    void clear() { pending.store(0, std::memory_order_relaxed); }

  private:
    static_assert(tag::kParameterCount <= 32, "one bit per parameter");

    std::atomic<float> values[tag::kParameterCount] = {};
    std::atomic<std::uint32_t> pending{0};
};
