#include "engine/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace lc = loudness_constants;

namespace
{
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
    const double shelfK = std::tan(lc::kPi * kShelfHz / sampleRateHz);
    const double gain = std::pow(10.0, kShelfGainDb / 20.0);
    const double band = std::pow(gain, kShelfBandExponent);
    const double shelfA0 = 1.0 + shelfK / kShelfQ + shelfK * shelfK;
    shelf = biquad((gain + band * shelfK / kShelfQ + shelfK * shelfK) / shelfA0,
                   2.0 * (shelfK * shelfK - gain) / shelfA0,
                   (gain - band * shelfK / kShelfQ + shelfK * shelfK) / shelfA0,
                   2.0 * (shelfK * shelfK - 1.0) / shelfA0,
                   (1.0 - shelfK / kShelfQ + shelfK * shelfK) / shelfA0);
    const double passK = std::tan(lc::kPi * kHighPassHz / sampleRateHz);
    const double passA0 = 1.0 + passK / kHighPassQ + passK * passK;
    highPass = biquad(1.0, -2.0, 1.0, 2.0 * (passK * passK - 1.0) / passA0,
                      (1.0 - passK / kHighPassQ + passK * passK) / passA0);
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
    shelfState = StageState{};
    highPassState = StageState{};
    framesInStep = 0;
    stepSums = Pair{};
    std::fill(std::begin(stepMeanSquares), std::end(stepMeanSquares), 0.0);
    lastStep = 0;
    stepsSinceRestart = 0;
    momentaryMeanSquare = 0.0;
    shortTermMeanSquare = 0.0;
    for (TruePeakMeter& meter : truePeaks)
        meter.clearHistory();
}

LoudnessMeter::Biquad LoudnessMeter::biquad(double b0, double b1, double b2, double a1, double a2)
{
    return {Pair{b0, b0}, Pair{b1, b1}, Pair{b2, b2}, Pair{a1, a1}, Pair{a2, a2}};
}

// Direct form I: only the feedback of the last output waits on the step before.
__attribute__((always_inline)) inline LoudnessMeter::Pair
LoudnessMeter::filterStep(const Biquad& stage, StageState& state, Pair input)
{
    const Pair fed = stage.b0 * input + stage.b1 * state.in1 + stage.b2 * state.in2 -
                     stage.a2 * state.out2;
    const Pair output = fed - stage.a1 * state.out1;
    state.in2 = state.in1;
    state.in1 = input;
    state.out2 = state.out1;
    state.out1 = output;
    return output;
}

void LoudnessMeter::process(const float* left, const float* right, int frames)
{
    truePeaks[0].process(left, frames);
    truePeaks[1].process(right, frames);
    // The state in locals for the run up to the next step's end, clear of the inputs.
    StageState shelved = shelfState;
    StageState passed = highPassState;
    Pair sums = stepSums;
    for (int i = 0; i < frames;)
    {
        const int run = std::min(frames - i, stepFrames - framesInStep);
        for (const int end = i + run; i < end; ++i)
        {
            const Pair weighted = filterStep(
                highPass, passed, filterStep(shelf, shelved, Pair{left[i], right[i]}));
            sums += weighted * weighted;
        }
        framesInStep += run;
        if (framesInStep == stepFrames)
        {
            stepSums = sums;
            completeStep();
            sums = Pair{};
        }
    }
    shelfState = shelved;
    highPassState = passed;
    stepSums = sums;
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
    stepMeanSquares[lastStep] = (stepSums[0] + stepSums[1]) / stepFrames;
    stepSums = Pair{};
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
