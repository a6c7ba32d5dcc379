#include "engine/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace lc = loudness_constants;

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr double kDefaultSampleRateHz = 44100.0;

// The K-weighting's two stages as BS.1770 describes them in analogue terms (a high shelf of
// about +4 dB above 1.7 kHz, a second-order high-pass at 38 Hz), mapped to the rate by the
// bilinear transform with the frequencies pre-warped: at 48 kHz these give the coefficients
// the recommendation lists.
constexpr double kShelfHz = 1681.974450955533;
constexpr double kShelfGainDb = 3.999843853973347;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kShelfBandExponent = 0.4996667741545416;
constexpr double kHighPassHz = 38.13547087602444;
constexpr double kHighPassQ = 0.5003270373238773;

float decibels(double linear)
{
    return linear > 0.0 ? static_cast<float>(20.0 * std::log10(linear)) : lc::kSilenceLufs;
}

float loudnessFigure(double meanSquare)
{
    const double lufs = loudnessOfMeanSquare(meanSquare);
    return lufs < lc::kAbsoluteGateLufs ? lc::kSilenceLufs : static_cast<float>(lufs);
}
} // namespace

LoudnessMeter::LoudnessMeter()
{
    setSampleRate(kDefaultSampleRateHz);
}

void LoudnessMeter::setSampleRate(double sampleRateHz)
{
    const double shelfK = std::tan(kPi * kShelfHz / sampleRateHz);
    const double gain = std::pow(10.0, kShelfGainDb / 20.0);
    const double band = std::pow(gain, kShelfBandExponent);
    const double shelfA0 = 1.0 + shelfK / kShelfQ + shelfK * shelfK;
    shelf = {(gain + band * shelfK / kShelfQ + shelfK * shelfK) / shelfA0,
             2.0 * (shelfK * shelfK - gain) / shelfA0,
             (gain - band * shelfK / kShelfQ + shelfK * shelfK) / shelfA0,
             2.0 * (shelfK * shelfK - 1.0) / shelfA0,
             (1.0 - shelfK / kShelfQ + shelfK * shelfK) / shelfA0};
    const double passK = std::tan(kPi * kHighPassHz / sampleRateHz);
    const double passA0 = 1.0 + passK / kHighPassQ + passK * passK;
    highPass = {1.0, -2.0, 1.0, 2.0 * (passK * passK - 1.0) / passA0,
                (1.0 - passK / kHighPassQ + passK * passK) / passA0};
    // Whole frames, rounded, as other meters count them, so blocks line up with theirs.
    stepFrames = std::max(1, static_cast<int>(sampleRateHz * lc::kStepSeconds + 0.5));
    reset();
}

void LoudnessMeter::reset()
{
    restart();
    stepCount = 0;
    gatingBlocks.clear();
    shortTermWindows.clear();
    for (TruePeakMeter& meter : truePeaks)
        meter.clearPeak();
}

void LoudnessMeter::restart()
{
    for (ChannelFilter& filter : filters)
        filter = ChannelFilter{};
    framesInStep = 0;
    stepSum = 0.0;
    std::fill(std::begin(stepMeanSquares), std::end(stepMeanSquares), 0.0);
    lastStep = 0;
    stepsSinceRestart = 0;
    momentaryMeanSquare = 0.0;
    shortTermMeanSquare = 0.0;
    for (TruePeakMeter& meter : truePeaks)
        meter.clearHistory();
}

// Transposed direct form II, both stages.
double LoudnessMeter::weigh(ChannelFilter& s, double x) const
{
    const double shelved = shelf.b0 * x + s.shelf1;
    s.shelf1 = shelf.b1 * x - shelf.a1 * shelved + s.shelf2;
    s.shelf2 = shelf.b2 * x - shelf.a2 * shelved;
    const double passed = highPass.b0 * shelved + s.highPass1;
    s.highPass1 = highPass.b1 * shelved - highPass.a1 * passed + s.highPass2;
    s.highPass2 = highPass.b2 * shelved - highPass.a2 * passed;
    return passed;
}

void LoudnessMeter::process(const float* left, const float* right, int frames)
{
    truePeaks[0].process(left, frames);
    truePeaks[1].process(right, frames);
    for (int i = 0; i < frames; ++i)
    {
        const double weighedLeft = weigh(filters[0], left[i]);
        const double weighedRight = weigh(filters[1], right[i]);
        stepSum += weighedLeft * weighedLeft + weighedRight * weighedRight;
        if (++framesInStep == stepFrames)
            completeStep();
    }
}

double LoudnessMeter::windowMeanSquare(int steps) const
{
    // Steps before the restart count as silence, so a window is always its full length.
    double sum = 0.0;
    for (int back = 0; back < steps; ++back)
        sum += stepMeanSquares[(lastStep - back + lc::kShortTermSteps) % lc::kShortTermSteps];
    return sum / steps;
}

void LoudnessMeter::completeStep()
{
    lastStep = (lastStep + 1) % lc::kShortTermSteps;
    stepMeanSquares[lastStep] = stepSum / stepFrames;
    stepSum = 0.0;
    framesInStep = 0;
    ++stepsSinceRestart;
    ++stepCount;
    momentaryMeanSquare = windowMeanSquare(lc::kMomentarySteps);
    shortTermMeanSquare = windowMeanSquare(lc::kShortTermSteps);
    if (stepsSinceRestart >= static_cast<std::uint64_t>(lc::kMomentarySteps))
        gatingBlocks.add(momentaryMeanSquare);
    if (stepsSinceRestart >= static_cast<std::uint64_t>(lc::kShortTermSteps) &&
        (stepsSinceRestart - lc::kShortTermSteps) % lc::kRangeEverySteps == 0)
        shortTermWindows.add(shortTermMeanSquare);
}

void LoudnessMeter::updateQuickFigures(LoudnessFigures& shown) const
{
    shown.momentaryLufs = loudnessFigure(momentaryMeanSquare);
    shown.shortTermLufs = loudnessFigure(shortTermMeanSquare);
    shown.truePeakDbtp = decibels(std::max(truePeaks[0].getPeak(), truePeaks[1].getPeak()));
}

LoudnessFigures LoudnessMeter::figures() const
{
    LoudnessFigures shown;
    updateQuickFigures(shown);
    shown.integratedLufs =
        static_cast<float>(gatingBlocks.gatedLoudness(lc::kIntegratedRelativeGateLu));
    shown.rangeLu = static_cast<float>(shortTermWindows.spread(
        lc::kRangeRelativeGateLu, lc::kRangeLowPercentile, lc::kRangeHighPercentile));
    return shown;
}
