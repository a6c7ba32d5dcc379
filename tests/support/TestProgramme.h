// The material the output pins render, and the hash they pin: any change of any output bit of
// a render changes its hash.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

struct StereoSample
{
    float left;
    float right;
};

// Frame i of sines, a swell and deterministic noise near full scale, different on each channel.
inline StereoSample testProgrammeFrame(int i, double sampleRateHz)
{
    constexpr double kTwoPi = 6.283185307179586;
    const double t = i / sampleRateHz;
    const double noise = std::sin(i * 12.9898) * 43758.5453;
    const double grain = (noise - std::floor(noise) - 0.5) * 0.3;
    const double swell = 0.75 + 0.25 * std::sin(kTwoPi * 0.5 * t);
    const double bass = 0.45 * std::sin(kTwoPi * 55.0 * t);
    const double mid = 0.25 * std::sin(kTwoPi * 440.0 * t);
    const double high = 0.12 * std::sin(kTwoPi * 3520.0 * t + 1.0);
    return {float(swell * (bass + mid + high) + grain),
            float(swell * (bass - high + 0.8 * mid) - grain)};
}

// FNV-1a over the bit patterns of the samples, in the order added.
class OutputHash
{
  public:
    void add(float sample)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        hash = (hash ^ bits) * 1099511628211ull;
    }
    std::uint64_t value() const { return hash; }

  private:
    std::uint64_t hash = 14695981039346656037ull;
};
