#pragma once

#include <cstdint>

// Small per-engine pseudo-random generator: four xorshift32 streams side by side in one SIMD
// register, so a step yields four values for a few register operations. Each engine owns one,
// so engines on different audio threads never share state and drawing takes no lock. Every bit
// of every lane is usable, the low eight included.
class RandomGenerator
{
  public:
    using Lanes = std::uint32_t __attribute__((vector_size(16)));

    // Fixed seeds: two engines built and fed alike produce identical output.
    static constexpr Lanes kSeeds = {0x9E3779B9u, 0x7F4A7C15u, 0xF39CC060u, 0x5CEDC834u};

    __attribute__((always_inline)) Lanes next()
    {
        constexpr int firstShift = 13;
        constexpr int secondShift = 17;
        constexpr int thirdShift = 5;
        state ^= state << firstShift;
        state ^= state >> secondShift;
        state ^= state << thirdShift;
        return state;
    }

  private:
    Lanes state = kSeeds;
};
