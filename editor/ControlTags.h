#pragma once

// Tags of the editor's controls. Tags 0 to 16 are the effect's parameter indices, in the
// effect's parameter order; the editor's own controls use tags from 100.
namespace tag
{
constexpr long outputTrim = 0;
constexpr long outputScale = 1;
constexpr long bypass = 2;
constexpr long inputDrive = 3;
constexpr long sideGain = 4;
constexpr long xcorrTime = 5;
constexpr long xcorrThreshold = 6;
constexpr long envHysteresis = 7;
constexpr long envRelease = 8;
constexpr long stereoLink = 9;
constexpr long softclipThresh = 10;
constexpr long softclipAmount = 11;
constexpr long rmsAttack = 12;
constexpr long rmsRelease = 13;
constexpr long rmsThreshold = 14;
constexpr long interSamplePeak = 15;
constexpr long dithering = 16;
constexpr int parameterCount = 17;

// The four output scale buttons, PK, K12, K14, K20 in this order.
constexpr long scalePk = 100;
constexpr long scaleK20 = 103;
constexpr long peakReadout = 104;
constexpr long scaleMenu = 105; // the editor size menu over the display strip
} // namespace tag
