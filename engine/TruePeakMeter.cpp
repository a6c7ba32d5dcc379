#include "engine/TruePeakMeter.h"

#include "engine/StereoVector.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace
{
// Far above the relative rounding of twelve float products summed (about 1e-6).
constexpr double kWindowGainMargin = 1.0 + 1e-4;

constexpr int kLanes = TruePeakMeter::kLanes;
using Lanes = TruePeakMeter::Lanes;
// Four windows in the stereo vector's four lanes: its lane steps serve them.
static_assert(sizeof(Lanes) == sizeof(StereoVector), "four windows fill a stereo vector");

Lanes load(const float* at)
{
    Lanes lanes;
    std::memcpy(&lanes, at, sizeof lanes);
    return lanes;
}

float largest(Lanes lanes)
{
    return std::max({lanes[0], lanes[1], lanes[2], lanes[3]});
}

double kaiser(double position, double beta)
{
    // position runs -1..1 over the window.
    const double inside = std::max(0.0, 1.0 - position * position);
    return std::cyl_bessel_i(0.0, beta * std::sqrt(inside)) / std::cyl_bessel_i(0.0, beta);
}
} // namespace

TruePeakMeter::TruePeakMeter()
{
    // The oversampled filter is a sinc with its cut-off at the input's Nyquist frequency,
    // centred between taps kCentreTap and kCentreTap + 1 of the input, so phase p sits
    // p/kPhases of a sample after the window's centre sample. Each phase is scaled to pass DC
    // at unity.
    constexpr double halfSpan = kTaps / 2.0;
    float coefficients[kPhases - 1][kTaps];
    double widest = 0.0;
    for (int phase = 1; phase < kPhases; ++phase)
    {
        double taps[kTaps];
        double sum = 0.0;
        for (int tap = 0; tap < kTaps; ++tap)
        {
            // Distance in input samples from this tap to the interpolated point.
            const double distance = kCentreTap + static_cast<double>(phase) / kPhases - tap;
            const double sinc = std::sin(loudness_constants::kPi * distance) /
                                (loudness_constants::kPi * distance);
            taps[tap] =
                sinc * kaiser(distance / halfSpan, loudness_constants::kInterpolatorKaiserBeta);
            sum += taps[tap];
        }
        double absoluteSum = 0.0;
        for (int tap = 0; tap < kTaps; ++tap)
        {
            coefficients[phase - 1][tap] = static_cast<float>(taps[tap] / sum);
            absoluteSum += std::fabs(coefficients[phase - 1][tap]);
        }
        widest = std::max(widest, absoluteSum);
    }
    windowGain = static_cast<float>(widest * kWindowGainMargin);
    for (int tap = 0; tap < kTaps / 2; ++tap)
    {
        const float early = coefficients[0][tap];
        const float late = coefficients[0][kTaps - 1 - tap];
        foldedTaps[tap] = {Lanes{} + (early + late) / 2.0f, Lanes{} + (early - late) / 2.0f,
                           Lanes{} + coefficients[1][tap]};
    }
}

void TruePeakMeter::clearHistory()
{
    std::fill(std::begin(work), std::end(work), 0.0f);
}

void TruePeakMeter::process(const float* samples, int frames)
{
    while (frames > 0)
    {
        const int count = std::min(frames, kChunkFrames);
        std::memcpy(work + kTaps - 1, samples, static_cast<std::size_t>(count) * sizeof(float));
        measureWork(count);
        std::memmove(work, work + count, (kTaps - 1) * sizeof(float));
        samples += count;
        frames -= count;
    }
}

// Window j is work[j .. j + kTaps): it ends with the j-th new sample.
void TruePeakMeter::measureWork(int frames)
{
    int start = 0;
    for (; start + kGroupFrames <= frames; start += kGroupFrames)
    {
        // The group's windows read kGroupFrames + kTaps - 1 samples. Most of a limited
        // programme lies far enough under its peak that none of them can raise it.
        const float* window = work + start;
        Lanes loudest = stereo::abs(load(window + kGroupFrames + kTaps - 1 - kLanes));
        for (int i = 0; i + kLanes <= kGroupFrames + kTaps - 1; i += kLanes)
            loudest = stereo::maxOf(loudest, stereo::abs(load(window + i)));
        if (largest(loudest) * windowGain > peak)
            peak = std::max(peak, groupPeak(window));
    }
    for (; start < frames; ++start)
        peak = std::max(peak, framePeak(work + start));
}

float TruePeakMeter::groupPeak(const float* window) const
{
    // Four windows at a time, the three phases side by side, so no sum waits on another.
    Lanes highest = stereo::abs(load(window + kCentreTap));
    for (int first = 0; first < kGroupFrames; first += kLanes)
    {
        // The half phase is symmetric and the quarters mirror each other, so each pair of
        // samples equally far from the window's middle enters as a sum and a difference:
        // the quarters are even + odd and even - odd, the larger in magnitude
        // |even| + |odd|.
        Lanes even{}, odd{}, half{};
        for (int tap = 0; tap < kTaps / 2; ++tap)
        {
            const Lanes early = load(window + first + tap);
            const Lanes late = load(window + first + kTaps - 1 - tap);
            const Lanes sum = early + late;
            even += foldedTaps[tap].quarterEven * sum;
            odd += foldedTaps[tap].quarterOdd * (early - late);
            half += foldedTaps[tap].half * sum;
        }
        highest = stereo::maxOf(highest, stereo::abs(load(window + first + kCentreTap)));
        highest = stereo::maxOf(highest, stereo::abs(even) + stereo::abs(odd));
        highest = stereo::maxOf(highest, stereo::abs(half));
    }
    return largest(highest);
}

// One window in the group's arithmetic, so a window reads the same wherever a block ends.
float TruePeakMeter::framePeak(const float* window) const
{
    float even = 0.0f, odd = 0.0f, half = 0.0f;
    for (int tap = 0; tap < kTaps / 2; ++tap)
    {
        const float early = window[tap];
        const float late = window[kTaps - 1 - tap];
        even += foldedTaps[tap].quarterEven[0] * (early + late);
        odd += foldedTaps[tap].quarterOdd[0] * (early - late);
        half += foldedTaps[tap].half[0] * (early + late);
    }
    return std::max({std::fabs(window[kCentreTap]), std::fabs(even) + std::fabs(odd),
                     std::fabs(half)});
}
