#pragma once

#include <cstdint>

// Small per-engine pseudo-random generator (xorshift32). Each engine owns one, so engines on
// different audio threads never share state, and drawing costs a few register operations
// instead of a locked call into the C library. Every bit of the result is usable, the low
// eight included.
class RandomGenerator
{
  public:
    // Fixed seed: two engines built and fed alike produce identical output.
    static constexpr std::uint32_t kSeed = 0x9E3779B9u;

    std::uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }

  private:
    std::uint32_t state = kSeed;
};
