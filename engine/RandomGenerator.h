#pragma once

#include <cstdint>
#include <cstring>

// Small per-engine pseudo-random generator: 64 xorshift32 streams side by side, stepped together,
// so one step yields 32 draws (two values each) for six operations on each of four independent
// vectors, which the processor overlaps. Each engine owns one, so engines on different audio
// threads never share state and drawing takes no lock. Every bit of every lane is usable, the
// low eight included.
//
// The sequence of draws is the same whichever way it is taken: draw k is lanes 2j and 2j + 1
// (j = k mod 32) of step k / 32, the streams counted through the four vectors in order. next()
// hands out one draw at a time from the current step; a block takes whole steps with drawStep()
// on a copy of streams() that it keeps in registers, which must happen only where next() has
// handed out every draw of the step before (a generator serves one kind of caller).
class RandomGenerator
{
  public:
    // One draw in lanes 0 and 1 (lanes 2 and 3 repeat them).
    using Lanes = std::uint32_t __attribute__((vector_size(16)));
    static constexpr int kDrawsPerStep = 32;
    static constexpr int kValuesPerStep = 2 * kDrawsPerStep;

    // Sixteen streams; four of them, named so a block loop keeps each in a register.
    using Sixteen = std::uint32_t __attribute__((vector_size(64)));
    struct Streams
    {
        Sixteen first;
        Sixteen second;
        Sixteen third;
        Sixteen fourth;
    };

    // Fixed seeds: two engines built and fed alike produce identical output.
    RandomGenerator();

    Streams& streams() { return state; }

    // Advances every stream and writes the step's draws, in order, to `to`.
    static __attribute__((always_inline)) void drawStep(Streams& s, std::uint32_t* to)
    {
        constexpr int valuesPerVector = kValuesPerStep / 4;
        advance(s.first);
        advance(s.second);
        advance(s.third);
        advance(s.fourth);
        std::memcpy(to, &s.first, sizeof s.first);
        std::memcpy(to + valuesPerVector, &s.second, sizeof s.second);
        std::memcpy(to + 2 * valuesPerVector, &s.third, sizeof s.third);
        std::memcpy(to + 3 * valuesPerVector, &s.fourth, sizeof s.fourth);
    }

    Lanes next();

  private:
    static __attribute__((always_inline)) void advance(Sixteen& v)
    {
        constexpr int firstShift = 13;
        constexpr int secondShift = 17;
        constexpr int thirdShift = 5;
        v ^= v << firstShift;
        v ^= v >> secondShift;
        v ^= v << thirdShift;
    }

    Streams state;
    std::uint32_t current[kValuesPerStep] = {};
    int handedOut = kDrawsPerStep;
};
