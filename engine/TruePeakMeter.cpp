#include "engine/TruePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace
{
constexpr double kPi = 3.141592653589793;

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
    // centred between taps kTaps/2 - 1 and kTaps/2 of the input, so phase p sits p/kPhases of
    // a sample after the window's centre sample. Each phase is scaled to pass DC at unity.
    constexpr double centre = kTaps / 2 - 1;
    constexpr double halfSpan = kTaps / 2.0;
    for (int phase = 0; phase < kPhases; ++phase)
    {
        double taps[kTaps];
        double sum = 0.0;
        for (int tap = 0; tap < kTaps; ++tap)
        {
            // Distance in input samples from this tap to the interpolated point.
            const double distance = centre + static_cast<double>(phase) / kPhases - tap;
            const double sinc = distance == 0.0 ? 1.0 : std::sin(kPi * distance) / (kPi * distance);
            taps[tap] =
                sinc * kaiser(distance / halfSpan, loudness_constants::kInterpolatorKaiserBeta);
            sum += taps[tap];
        }
        for (int tap = 0; tap < kTaps; ++tap)
            coefficients[tap][phase] = static_cast<float>(taps[tap] / sum);
    }
}

void TruePeakMeter::clearHistory()
{
    std::fill(std::begin(history), std::end(history), 0.0f);
    next = 0;
}

void TruePeakMeter::process(const float* samples, int frames)
{
    // The running maximum stays a vector until the end, one comparison per sample.
    Phases highest{peak, peak, peak, peak};
    for (int i = 0; i < frames; ++i)
    {
        history[next] = samples[i];
        history[next + kTaps] = samples[i];
        next = next + 1 == kTaps ? 0 : next + 1;
        // The window, oldest first: history[next .. next + kTaps).
        const float* window = history + next;
        // All four phases at once, tap by tap, so the sums go in one vector.
        Phases values{};
        for (int tap = 0; tap < kTaps; ++tap)
            values += coefficients[tap] * window[tap];
        const Phases magnitudes = values < 0.0f ? -values : values;
        highest = magnitudes > highest ? magnitudes : highest;
    }
    peak = std::max({highest[0], highest[1], highest[2], highest[3]});
}
