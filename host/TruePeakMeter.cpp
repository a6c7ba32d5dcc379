#include "host/TruePeakMeter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
constexpr int kOversampling = 8;
constexpr std::size_t kHalfTaps = 16; // samples each side of a point that the interpolator reads
constexpr std::size_t kTaps = 2 * kHalfTaps;
constexpr double kKaiserBeta = 8.0;
// Points are computed for this many samples at a time (always whole blocks, so the loops run in
// vectors; the buffers hold room for a block beyond the last sample), and skipped where the
// loudest sample near them cannot lift the step's peak.
constexpr std::size_t kBlockFrames = 32;

struct Interpolator
{
    // phases[p][j]: the weight of x[n + kHalfTaps - j] for the point n + p/8, for p = 1..7.
    std::array<std::array<float, kTaps>, kOversampling> phases{};
    // The largest sum of |weights| of a phase: no point exceeds it times the loudest sample read.
    double largestGain = 0.0;
};

double besselI0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 30; ++k)
    {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

Interpolator makeInterpolator()
{
    constexpr double pi = 3.14159265358979323846;
    Interpolator interpolator;
    for (int phase = 1; phase < kOversampling; ++phase)
    {
        double gain = 0.0;
        for (std::size_t j = 0; j < kTaps; ++j)
        {
            // The distance in samples from the point to the sample it weighs.
            const double t = static_cast<double>(j) - static_cast<double>(kHalfTaps) +
                             static_cast<double>(phase) / kOversampling;
            const double sinc = std::sin(pi * t) / (pi * t);
            const double ratio = t / static_cast<double>(kHalfTaps);
            const double window =
                besselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) /
                besselI0(kKaiserBeta);
            interpolator.phases[phase][j] = static_cast<float>(sinc * window);
            gain += std::fabs(sinc * window);
        }
        interpolator.largestGain = std::max(interpolator.largestGain, gain);
    }
    return interpolator;
}

const Interpolator kInterpolator = makeInterpolator();
} // namespace

TruePeakMeter::TruePeakMeter()
    : left(kTaps - 1, 0.0f), right(kTaps - 1, 0.0f), samplesHeld(kTaps - 1) // silence before it
{
}

void TruePeakMeter::add(const float* interleavedStereo, std::size_t frames)
{
    const std::size_t held = samplesHeld;
    samplesHeld += frames;
    left.resize(samplesHeld + kBlockFrames);
    right.resize(samplesHeld + kBlockFrames);
    float loudest = 0.0f;
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        left[held + frame] = interleavedStereo[2 * frame];
        right[held + frame] = interleavedStereo[2 * frame + 1];
        loudest = std::max({loudest, std::fabs(left[held + frame]), std::fabs(right[held + frame])});
    }
    stepPeak = std::max(stepPeak, static_cast<double>(loudest));
    streamPeak = std::max(streamPeak, stepPeak);

    // The point after sample n reads samples n - kHalfTaps + 1 .. n + kHalfTaps.
    const std::size_t firstCentre = kHalfTaps - 1;
    const std::size_t endCentre = samplesHeld - kHalfTaps;
    interpolate(firstCentre, endCentre);
    const auto done = static_cast<std::ptrdiff_t>(endCentre - firstCentre);
    left.erase(left.begin(), left.begin() + done);
    right.erase(right.begin(), right.begin() + done);
    samplesHeld -= static_cast<std::size_t>(done);
}

void TruePeakMeter::finish()
{
    const std::vector<float> silence(2 * kHalfTaps, 0.0f);
    add(silence.data(), kHalfTaps);
}

double TruePeakMeter::takeStepPeak()
{
    const double peak = stepPeak;
    stepPeak = 0.0;
    return peak;
}

void TruePeakMeter::interpolate(std::size_t firstCentre, std::size_t endCentre)
{
    std::array<float, kBlockFrames> points{};
    for (std::size_t start = firstCentre; start < endCentre; start += kBlockFrames)
    {
        const std::size_t count = std::min(kBlockFrames, endCentre - start);
        for (const std::vector<float>* channel : {&left, &right})
        {
            const float* x = channel->data();
            const auto [low, high] = std::minmax_element(x + start + 1 - kHalfTaps,
                                                         x + start + count + kHalfTaps);
            const double loudest = std::max(-static_cast<double>(*low), static_cast<double>(*high));
            if (loudest * kInterpolator.largestGain <= stepPeak)
                continue; // no point here can rise above what the step already holds
            for (int phase = 1; phase < kOversampling; ++phase)
            {
                points.fill(0.0f);
                const auto& weights = kInterpolator.phases[phase];
                // Across the block's points for each weight, so the loop runs in vectors.
                for (std::size_t j = 0; j < kTaps; ++j)
                {
                    const float* samples = x + start + kHalfTaps - j;
                    for (std::size_t point = 0; point < kBlockFrames; ++point)
                        points[point] += weights[j] * samples[point];
                }
                for (std::size_t point = 0; point < count; ++point)
                    stepPeak = std::max(stepPeak, static_cast<double>(std::fabs(points[point])));
            }
        }
    }
    streamPeak = std::max(streamPeak, stepPeak);
}
