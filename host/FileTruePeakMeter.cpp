#include "host/FileTruePeakMeter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
constexpr int kOversampling = 8;
constexpr std::size_t kHalfTaps = 48; // samples each side of a point that the interpolator reads
constexpr std::size_t kTaps = 2 * kHalfTaps;
constexpr double kKaiserBeta = 9.0;
// The short interpolator, the middle of the long one's window, estimates every point cheaply.
constexpr std::size_t kShortHalfTaps = 8;
constexpr double kShortKaiserBeta = 6.0;
// Points are computed for this many samples at a time (always whole blocks, so the loops run in
// vectors; the buffers hold room for a block beyond the last sample). The long interpolator runs
// only where the short one's estimate, plus the most the two can differ, could lift the
// stream's peak: the result is the long interpolator's everywhere.
constexpr std::size_t kBlockFrames = 32;

struct Interpolator
{
    // phases[p][j]: the weight of x[n + kHalfTaps - j] for the point n + p/8, for p = 1..7.
    std::array<std::array<float, kTaps>, kOversampling> phases{};
    std::array<std::array<float, kTaps>, kOversampling> shortPhases{}; // zero outside its taps
    // The largest sum over a phase of |long - short| weights: no point's two values differ by
    // more than it times the loudest sample read.
    double largestDifference = 0.0;
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

double windowedSinc(double t, double halfTaps, double beta)
{
    constexpr double pi = 3.14159265358979323846;
    const double ratio = t / halfTaps;
    if (std::fabs(ratio) >= 1.0)
        return 0.0;
    return std::sin(pi * t) / (pi * t) * besselI0(beta * std::sqrt(1.0 - ratio * ratio)) /
           besselI0(beta);
}

Interpolator makeInterpolator()
{
    Interpolator interpolator;
    for (int phase = 1; phase < kOversampling; ++phase)
    {
        double difference = 0.0;
        for (std::size_t j = 0; j < kTaps; ++j)
        {
            // The distance in samples from the point to the sample it weighs.
            const double t = static_cast<double>(j) - static_cast<double>(kHalfTaps) +
                             static_cast<double>(phase) / kOversampling;
            interpolator.phases[phase][j] =
                static_cast<float>(windowedSinc(t, kHalfTaps, kKaiserBeta));
            interpolator.shortPhases[phase][j] =
                static_cast<float>(windowedSinc(t, kShortHalfTaps, kShortKaiserBeta));
            difference += std::fabs(static_cast<double>(interpolator.phases[phase][j]) -
                                    interpolator.shortPhases[phase][j]);
        }
        interpolator.largestDifference = std::max(interpolator.largestDifference, difference);
    }
    return interpolator;
}

// The points after a block of samples at one phase, through `weights` taps j0..j1.
std::array<float, kBlockFrames> pointsOf(const float* x, std::size_t start,
                                         const std::array<float, kTaps>& weights,
                                         std::size_t firstTap, std::size_t endTap)
{
    // Across the block's points for each weight, so the loop runs in vectors. The sums are the
    // function's own, so nothing can alias them, and walked rather than indexed, which spares the
    // sanitizer builds a check per element (this loop is most of a master's time there).
    std::array<float, kBlockFrames> sums{};
    for (std::size_t j = firstTap; j < endTap; ++j)
    {
        const float weight = weights[j];
        const float* sample = x + start + kHalfTaps - j;
        for (float& sum : sums)
            sum += weight * *sample++;
    }
    return sums;
}

const Interpolator kInterpolator = makeInterpolator();
} // namespace

FileTruePeakMeter::FileTruePeakMeter()
    : left(kTaps - 1, 0.0f), right(kTaps - 1, 0.0f), samplesHeld(kTaps - 1) // silence before it
{
}

void FileTruePeakMeter::add(const float* interleavedStereo, std::size_t frames)
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
        loudest =
            std::max({loudest, std::fabs(left[held + frame]), std::fabs(right[held + frame])});
    }
    stepPeak = std::max(stepPeak, static_cast<double>(loudest));
    streamPeak = std::max(streamPeak, static_cast<double>(loudest));

    // The point after sample n reads samples n - kHalfTaps + 1 .. n + kHalfTaps.
    const std::size_t firstCentre = kHalfTaps - 1;
    const std::size_t endCentre = samplesHeld - kHalfTaps;
    interpolate(firstCentre, endCentre);
    const auto done = static_cast<std::ptrdiff_t>(endCentre - firstCentre);
    left.erase(left.begin(), left.begin() + done);
    right.erase(right.begin(), right.begin() + done);
    samplesHeld -= static_cast<std::size_t>(done);
}

void FileTruePeakMeter::finish()
{
    const std::vector<float> silence(2 * kHalfTaps, 0.0f);
    add(silence.data(), kHalfTaps);
}

double FileTruePeakMeter::takeStepPeak()
{
    // The long interpolator's figure where the stream's peak rose within the step, so the
    // loudest step shows the stream's peak exactly; elsewhere the estimate, never above it.
    const double peak =
        streamPeak > streamPeakAtStepStart ? streamPeak : std::min(stepPeak, streamPeak);
    stepPeak = 0.0;
    streamPeakAtStepStart = streamPeak;
    return peak;
}

void FileTruePeakMeter::interpolate(std::size_t firstCentre, std::size_t endCentre)
{
    const std::size_t firstShortTap = kHalfTaps - kShortHalfTaps;
    const std::size_t endShortTap = kHalfTaps + kShortHalfTaps;
    for (std::size_t start = firstCentre; start < endCentre; start += kBlockFrames)
    {
        const std::size_t count = std::min(kBlockFrames, endCentre - start);
        for (const std::vector<float>* channel : {&left, &right})
        {
            const float* x = channel->data();
            const auto [low, high] =
                std::minmax_element(x + start + 1 - kHalfTaps, x + start + count + kHalfTaps);
            const double loudest = std::max(-static_cast<double>(*low), static_cast<double>(*high));
            const double largestError = loudest * kInterpolator.largestDifference;
            for (int phase = 1; phase < kOversampling; ++phase)
            {
                const std::array<float, kBlockFrames> estimates = pointsOf(
                    x, start, kInterpolator.shortPhases[phase], firstShortTap, endShortTap);
                double estimate = 0.0;
                for (std::size_t point = 0; point < count; ++point)
                    estimate = std::max(estimate, static_cast<double>(std::fabs(estimates[point])));
                stepPeak = std::max(stepPeak, estimate);
                if (estimate + largestError <= streamPeak)
                    continue; // no point here can rise above the stream's peak
                const std::array<float, kBlockFrames> points =
                    pointsOf(x, start, kInterpolator.phases[phase], 0, kTaps);
                for (std::size_t point = 0; point < count; ++point)
                    streamPeak =
                        std::max(streamPeak, static_cast<double>(std::fabs(points[point])));
            }
        }
    }
}
