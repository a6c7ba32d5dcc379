#pragma once

#include <cstdint>
#include <cstring>

// Small per-engine pseudo-random generator: 64 xorshift32 streams side by side, stepped together,
// so one step yields 32 draws (two values each) for six operations on each of a few independent
// vectors, which the processor overlaps. Each engine owns one, so engines on different audio
// threads never share state and drawing takes no lock. Every bit of every lane is usable, the
// low eight included.
//
// The sequence of draws is the same whichever way it is taken: draw k is lanes 2j and 2j + 1
// (j = k mod 32) of step k / 32. next() hands out one draw at a time from the current step;
// drawStep() takes a whole step, and must be called only where next() has handed out every
// draw of the step before (a generator serves one kind of caller).
class RandomGenerator
{
  public:
    // One draw in lanes 0 and 1 (lanes 2 and 3 repeat them).
    using Lanes = std::uint32_t __attribute__((vector_size(16)));
    static constexpr int kDrawsPerStep = 32;
    static constexpr int kValuesPerStep = 2 * kDrawsPerStep;

    // Fixed seeds: two engines built and fed alike produce identical output.
    RandomGenerator();

    // Advances every stream and writes the step's draws, in order, to `to`. (Written to memory
    // rather than returned: a vector this wide has no register convention.)
    __attribute__((always_inline)) void drawStep(std::uint32_t* to)
    {
        constexpr int firstShift = 13;
        constexpr int secondShift = 17;
        constexpr int thirdShift = 5;
        state ^= state << firstShift;
        state ^= state >> secondShift;
        state ^= state << thirdShift;
        std::memcpy(to, &state, sizeof state);
    }

    Lanes next();

  private:
    // Aligned as a cache line, not as its whole width.
    using Step = std::uint32_t __attribute__((vector_size(4 * kValuesPerStep), aligned(64)));

    Step state;
    std::uint32_t current[kValuesPerStep] = {};
    int handedOut = kDrawsPerStep;
};
