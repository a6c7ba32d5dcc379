#pragma once

// Fixed figures of the loudness measurement (ITU-R BS.1770-4, EBU R128, EBU Tech 3342), with
// their units in the names.
namespace loudness_constants
{
// For the designs of the K-weighting filters and the true-peak interpolator.
constexpr double kPi = 3.141592653589793;
// Loudness of a mean square of 1 on one channel before the -0.691 dB offset of BS.1770.
constexpr double kLoudnessOffsetDb = -0.691;
// Gating: blocks of four 100 ms steps (400 ms, 75 % overlap); short-term windows of 30 steps.
constexpr double kStepSeconds = 0.1;
constexpr int kMomentarySteps = 4;
constexpr int kShortTermSteps = 30;
// Short-term windows enter the loudness range every this many steps: once a second, windows
// overlapping by 2 s, as EBU Tech 3342 asks at least and other meters count.
constexpr int kRangeEverySteps = 10;
constexpr double kAbsoluteGateLufs = -70.0;
constexpr double kIntegratedRelativeGateLu = -10.0;
constexpr double kRangeRelativeGateLu = -20.0;
constexpr double kRangeLowPercentile = 0.10;
constexpr double kRangeHighPercentile = 0.95;
// The gating histograms: bins of 0.01 LU from the absolute gate up to +10 LUFS (louder blocks
// count in the top bin; a full-scale square wave is about +3 LUFS).
constexpr double kHistogramTopLufs = 10.0;
constexpr double kHistogramBinLu = 0.01;
// True peak: four times oversampled at every rate, by a windowed-sinc interpolator of this many
// input samples per phase.
constexpr int kOversampling = 4;
constexpr int kInterpolatorTapsPerPhase = 12;
constexpr double kInterpolatorKaiserBeta = 6.0;
// What a figure shows before anything was measured (and below the absolute gate).
constexpr float kSilenceLufs = -144.0f;
} // namespace loudness_constants
