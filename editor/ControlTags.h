#pragma once

// Tags of the editor's controls. Tags 0 to 16 are the effect's parameter indices, in the
// effect's parameter order; the editor's own controls use tags from 100.
namespace tag
{
constexpr long kOutputTrim = 0;
constexpr long kOutputScale = 1;
constexpr long kBypass = 2;
constexpr long kInputDrive = 3;
constexpr long kSideGain = 4;
constexpr long kXcorrTime = 5;
constexpr long kXcorrThreshold = 6;
constexpr long kEnvHysteresis = 7;
constexpr long kEnvRelease = 8;
constexpr long kStereoLink = 9;
constexpr long kSoftclipThresh = 10;
constexpr long kSoftclipAmount = 11;
constexpr long kRmsAttack = 12;
constexpr long kRmsRelease = 13;
constexpr long kRmsThreshold = 14;
constexpr long kInterSamplePeak = 15;
constexpr long kDithering = 16;
constexpr int kParameterCount = 17;

// The four output scale buttons, PK, K12, K14, K20 in this order.
constexpr long kScalePk = 100;
constexpr long kScaleK20 = 103;
constexpr long kPeakReadout = 104;
constexpr long kScaleMenu = 105; // the editor size menu over the display strip
// The loudness panel's reset button, target menu and history span menu.
constexpr long kLoudnessReset = 106;
constexpr long kLoudnessTarget = 107;
constexpr long kHistorySpan = 108;
} // namespace tag
