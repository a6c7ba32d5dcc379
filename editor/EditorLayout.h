#pragma once

// The editor's panel: where each view sits, what it draws and how it is set up. The rectangles
// and bitmap ids are shared with the art generator, which paints the panel around them.
#include "editor/ControlTags.h"
#include "resources/Palette.h"
#include "resources/PanelGeometry.h"
#include "toolkit/CColor.h"
#include "toolkit/CRect.h"

#include <cmath>

namespace editor_layout
{
// Where a view goes at a screen scale (device pixels per frame pixel): its origin on the
// nearest device pixel, its size the scaled bitmap's, rounded as the art is, so views and art
// line up at every scale.
inline CRect scaledRect(const PixelRect& rect, double scale)
{
    const long left = std::lround(rect.left * scale);
    const long top = std::lround(rect.top * scale);
    return CRect(left, top, left + std::lround(rect.width() * scale),
                 top + std::lround(rect.height() * scale));
}

constexpr CColor opaque(const ArtColour& colour)
{
    return CColor{static_cast<unsigned char>(colour.red), static_cast<unsigned char>(colour.green),
                  static_cast<unsigned char>(colour.blue), 255};
}

// The art is drawn around these, so they come from its palette.
constexpr CColor kTextGrey = opaque(palette::kDisplayText);    // menu, status line and readout text
constexpr CColor kDisplayDark = opaque(palette::kDisplayDark); // menu and readout background
constexpr CColor kNobKey = opaque(palette::kNobKey); // keyed-out corners of the knob filmstrips

// The bitmaps open() loads and close() releases: every one but the panel.
constexpr int kFirstControlBitmapId = bitmapId::kFaderTrack;
constexpr int kLastControlBitmapId = bitmapId::kDisplayStrip;
constexpr int kControlBitmapCount = kLastControlBitmapId - kFirstControlBitmapId + 1;

// Meters: one step per strip row.
constexpr long kMeterSegments = art::kStripHeightPx;
constexpr float kLevelFallStep = 0.1f;        // position per redraw
constexpr float kCorrelationFallStep = 0.05f; // position per redraw
// Negative: a gain meter drops (more reduction) at once and recovers by 0.05 per redraw.
constexpr float kGainRiseLimit = -0.05f;

enum MeterIndex
{
    outputPeakLeftMeter,
    outputPeakRightMeter,
    outputRmsLeftMeter,
    outputRmsRightMeter,
    correlationMeter,
    limiterGainLeftMeter,
    limiterGainRightMeter,
    softclipGainLeftMeter,
    softclipGainRightMeter,
    rmsGainLeftMeter,
    rmsGainRightMeter,
    meterCount
};
// The output meters' lit strip follows the output scale.
constexpr int kOutputMeterCount = 4;

struct MeterEntry
{
    PixelRect rect;
    int litId;
    int unlitId;
    float fallStep;
    bool showsGain; // starts at 1, no reduction; level meters start at 0
};

constexpr MeterEntry kMeterTable[meterCount] = {
    {layout::kOutputPeakLeft, bitmapId::kStripPk, bitmapId::kStripUnlit, kLevelFallStep, false},
    {layout::kOutputPeakRight, bitmapId::kStripPk, bitmapId::kStripUnlit, kLevelFallStep, false},
    {layout::kOutputRmsLeft, bitmapId::kStripPk, bitmapId::kStripUnlit, kLevelFallStep, false},
    {layout::kOutputRmsRight, bitmapId::kStripPk, bitmapId::kStripUnlit, kLevelFallStep, false},
    {layout::kCorrelation, bitmapId::kStripInverted, bitmapId::kStripUnlit, kCorrelationFallStep,
     false},
    {layout::kLimiterGainLeft, bitmapId::kStripUnlit, bitmapId::kStripInverted, kGainRiseLimit,
     true},
    {layout::kLimiterGainRight, bitmapId::kStripUnlit, bitmapId::kStripInverted, kGainRiseLimit,
     true},
    {layout::kSoftclipGainLeft, bitmapId::kStripUnlit, bitmapId::kStripInverted, kGainRiseLimit,
     true},
    {layout::kSoftclipGainRight, bitmapId::kStripUnlit, bitmapId::kStripInverted, kGainRiseLimit,
     true},
    {layout::kRmsGainLeft, bitmapId::kStripUnlit, bitmapId::kStripInverted, kGainRiseLimit, true},
    {layout::kRmsGainRight, bitmapId::kStripUnlit, bitmapId::kStripInverted, kGainRiseLimit, true},
};

// Faders: minimum at the bottom; a press must hit the handle.
constexpr float kOutputTrimDefault = 1.0f; // 0 dB
constexpr float kInputDriveDefault = 0.5239f;

struct KnobEntry
{
    PixelRect rect;
    int bitmap;
    long tag;
};

constexpr KnobEntry kNobTable[] = {
    {layout::kSideGain, bitmapId::kNobLargeBipolar, tag::kSideGain},
    {layout::kXcorrTime, bitmapId::kNobSmall, tag::kXcorrTime},
    {layout::kXcorrThreshold, bitmapId::kNobSmall, tag::kXcorrThreshold},
    {layout::kEnvHysteresis, bitmapId::kNobSmall, tag::kEnvHysteresis},
    {layout::kEnvRelease, bitmapId::kNobLarge, tag::kEnvRelease},
    {layout::kStereoLink, bitmapId::kNobSmall, tag::kStereoLink},
    {layout::kSoftclipThresh, bitmapId::kNobSmallBipolar, tag::kSoftclipThresh},
    {layout::kSoftclipAmount, bitmapId::kNobSmall, tag::kSoftclipAmount},
    {layout::kRmsAttack, bitmapId::kNobSmall, tag::kRmsAttack},
    {layout::kRmsRelease, bitmapId::kNobSmall, tag::kRmsRelease},
    {layout::kRmsThreshold, bitmapId::kNobLarge, tag::kRmsThreshold},
};

// The "Dithering" menu: entry i is menu position i (64 bit down to 8 bit).
constexpr const char* kWordLengthEntries[] = {"64 bit", "32 bit", "24 bit", "20 bit",
                                              "16 bit", "12 bit", " 8 bit"};

constexpr const char* kPeakHoldResetMessage = "Reset peak hold";
} // namespace editor_layout
