#pragma once

#include "engine/StereoVector.h"

#include <atomic>
#include <cstdint>
#include <cstring>

// A left/right pair that the processing thread publishes once per frame and any thread reads:
// both floats in one relaxed 64-bit atomic, so a publication is a single store.
class AtomicStereo
{
  public:
    void publish(StereoVector value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        packed.store(bits, std::memory_order_relaxed);
    }

    void publish(float value) { publish(stereo::splat(value)); }

    float left() const { return lane(0); }
    float right() const { return lane(1); }
    // The lower of the two, from one publication.
    float lowest() const
    {
        const std::uint64_t bits = packed.load(std::memory_order_relaxed);
        float pair[2];
        std::memcpy(pair, &bits, sizeof pair);
        return pair[0] < pair[1] ? pair[0] : pair[1];
    }

  private:
    float lane(int index) const
    {
        const std::uint64_t bits = packed.load(std::memory_order_relaxed);
        float pair[2];
        std::memcpy(pair, &bits, sizeof pair);
        return pair[index];
    }

    std::atomic<std::uint64_t> packed{0};
};
