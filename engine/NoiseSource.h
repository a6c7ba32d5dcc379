#pragma once

#include "engine/RandomGenerator.h"
#include "engine/StereoVector.h"

// Signed noise at a level in dB: 256 integer steps of amplitude = 10^(level/20) / 128, from
// -128 to +127 steps. Draws from a generator it does not own (its engine's), so the engine's
// input noise and both quantisers' dither share one sequence.
class NoiseSource
{
  public:
    explicit NoiseSource(RandomGenerator& generator);
    virtual ~NoiseSource() = default;

    void setLevel(float levelDb);
    float getAmplitude() const { return amplitude[0]; }

    // Two successive uniform values in lanes 0 and 1 (lanes 2 and 3 hold two more, unused):
    // each from -128 to +127 steps, with mean -0.5 steps, not 0.
    StereoVector uniformPair() { return uniformPair(*generator); }

    // The same from a generator the caller holds, a copy of this one's kept in a register across
    // a block; the caller copies it back.
    StereoVector uniformPair(RandomGenerator& from) const { return uniformPairOf(from.next()); }

    // The same from a draw the caller took from the generator.
    __attribute__((always_inline)) StereoVector uniformPairOf(RandomGenerator::Lanes draw) const
    {
        constexpr std::uint32_t lowByteMask = 0xFFu;
        constexpr std::int32_t midStep = 128;
        const StereoMask steps = reinterpret_cast<StereoMask>(draw & lowByteMask) - midStep;
        return __builtin_convertvector(steps, StereoVector) * amplitude;
    }

    // The uniformPair values of two draws in lanes 0, 1 and 2, 3 (two frames), converted
    // together.
    __attribute__((always_inline)) StereoVector
    uniformTwoPairsOf(RandomGenerator::Lanes first, RandomGenerator::Lanes second) const
    {
        return uniformPairOf(__builtin_shufflevector(first, second, 0, 1, 4, 5));
    }

    float uniform() { return uniformPair()[0]; }

    // Half the sum of two uniform values: the same range, triangular distribution.
    float triangular() { return triangular(*generator); }

    float triangular(RandomGenerator& from) const { return triangularOf(from.next()); }

    __attribute__((always_inline)) float triangularOf(RandomGenerator::Lanes draw) const
    {
        const StereoVector pair = uniformPairOf(draw);
        const float first = pair[0];
        const float second = pair[1];
        return (second + first) * 0.5f;
    }

    RandomGenerator& source() const { return *generator; }

  private:
    RandomGenerator* generator;
    StereoVector amplitude;
};
