// The test signals the suites render, and the hash the output pins take of a render: any change
// of any output bit of a render changes its hash.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

struct StereoSample
{
    float left;
    float right;
};

// A whole signal, one vector per channel.
struct StereoSignal
{
    std::vector<float> left;
    std::vector<float> right;
};

enum class TestSignal
{
    // Sines, a swell and deterministic noise near full scale, different on each channel: the
    // material the output pins render, driven into the limiter.
    hot,
    // A plucked, decaying tone whose peaks stay well under the limiter's threshold.
    quiet,
    // A tone with a different partial on each channel, in bursts of 4096 frames alternating
    // -6 and +4 dBFS: work for the drive, the correlation limiter, the soft clipper, the limiter
    // and the leveller.
    bursts,
};

// Frame i of the signal at the given rate; the same frames on every run and machine.
inline StereoSample testSignalFrame(TestSignal kind, std::size_t i, double sampleRateHz)
{
    constexpr double kTwoPi = 6.283185307179586;
    const double t = static_cast<double>(i) / sampleRateHz;
    switch (kind)
    {
    case TestSignal::hot:
    {
        const double noise = std::sin(static_cast<double>(i) * 12.9898) * 43758.5453;
        const double grain = (noise - std::floor(noise) - 0.5) * 0.3;
        const double swell = 0.75 + 0.25 * std::sin(kTwoPi * 0.5 * t);
        const double bass = 0.45 * std::sin(kTwoPi * 55.0 * t);
        const double mid = 0.25 * std::sin(kTwoPi * 440.0 * t);
        const double high = 0.12 * std::sin(kTwoPi * 3520.0 * t + 1.0);
        return {float(swell * (bass + mid + high) + grain),
                float(swell * (bass - high + 0.8 * mid) - grain)};
    }
    case TestSignal::quiet:
    {
        const double noise = std::sin(static_cast<double>(i) * 12.9898) * 43758.5453;
        const double grain = noise - std::floor(noise) - 0.5;
        const double pluck = std::exp(-3.0 * std::fmod(t, 0.6));
        const double tone = std::sin(kTwoPi * 196.0 * t) + 0.4 * std::sin(kTwoPi * 392.0 * t);
        return {float(0.5 * pluck * tone + 0.003 * grain),
                float(0.45 * pluck * std::sin(kTwoPi * 196.0 * t + 0.3) - 0.003 * grain)};
    }
    case TestSignal::bursts:
        break;
    }
    const double burst = (i / 4096) % 2 == 1 ? 1.6 : 0.5;
    const double common = std::sin(kTwoPi * 220.0 * t);
    return {float(burst * (0.7 * common + 0.3 * std::sin(kTwoPi * 3100.0 * t))),
            float(burst * (0.6 * common - 0.4 * std::sin(kTwoPi * 1870.0 * t)))};
}

inline StereoSignal testSignal(TestSignal kind, std::size_t frames, double sampleRateHz)
{
    StereoSignal signal{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t i = 0; i < frames; ++i)
    {
        const StereoSample sample = testSignalFrame(kind, i, sampleRateHz);
        signal.left[i] = sample.left;
        signal.right[i] = sample.right;
    }
    return signal;
}

// Uniform noise within +-peak into both channels, a left and a right draw per frame, for
// randomised runs that replay from their seed.
template <typename Sample>
void fillNoise(std::mt19937& random, float peak, Sample* left, Sample* right, std::size_t frames)
{
    std::uniform_real_distribution<float> sample(-peak, peak);
    for (std::size_t i = 0; i < frames; ++i)
    {
        left[i] = sample(random);
        right[i] = sample(random);
    }
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
