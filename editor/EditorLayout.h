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
constexpr CColor textGrey = opaque(palette::displayText);    // menu, status line and readout text
constexpr CColor displayDark = opaque(palette::displayDark); // menu and readout background
constexpr CColor knobKey = opaque(palette::knobKey); // keyed-out corners of the knob filmstrips

// The bitmaps open() loads and close() releases: every one but the panel.
constexpr int firstControlBitmapId = bitmapId::faderTrack;
constexpr int lastControlBitmapId = bitmapId::displayStrip;
constexpr int controlBitmapCount = lastControlBitmapId - firstControlBitmapId + 1;

// Meters: one step per strip row.
constexpr long meterSegments = art::stripHeightPx;
constexpr float levelFallStep = 0.1f;        // position per redraw
constexpr float correlationFallStep = 0.05f; // position per redraw
// Negative: a gain meter drops (more reduction) at once and recovers by 0.05 per redraw.
constexpr float gainRiseLimit = -0.05f;

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
constexpr int outputMeterCount = 4;

struct MeterEntry
{
    PixelRect rect;
    int litId;
    int unlitId;
    float fallStep;
    bool showsGain; // starts at 1, no reduction; level meters start at 0
};

constexpr MeterEntry meterTable[meterCount] = {
    {layout::outputPeakLeft, bitmapId::stripPk, bitmapId::stripUnlit, levelFallStep, false},
    {layout::outputPeakRight, bitmapId::stripPk, bitmapId::stripUnlit, levelFallStep, false},
    {layout::outputRmsLeft, bitmapId::stripPk, bitmapId::stripUnlit, levelFallStep, false},
    {layout::outputRmsRight, bitmapId::stripPk, bitmapId::stripUnlit, levelFallStep, false},
    {layout::correlation, bitmapId::stripInverted, bitmapId::stripUnlit, correlationFallStep,
     false},
    {layout::limiterGainLeft, bitmapId::stripUnlit, bitmapId::stripInverted, gainRiseLimit, true},
    {layout::limiterGainRight, bitmapId::stripUnlit, bitmapId::stripInverted, gainRiseLimit, true},
    {layout::softclipGainLeft, bitmapId::stripUnlit, bitmapId::stripInverted, gainRiseLimit, true},
    {layout::softclipGainRight, bitmapId::stripUnlit, bitmapId::stripInverted, gainRiseLimit, true},
    {layout::rmsGainLeft, bitmapId::stripUnlit, bitmapId::stripInverted, gainRiseLimit, true},
    {layout::rmsGainRight, bitmapId::stripUnlit, bitmapId::stripInverted, gainRiseLimit, true},
};

// Faders: minimum at the bottom; a press must hit the handle.
constexpr float outputTrimDefault = 1.0f; // 0 dB
constexpr float inputDriveDefault = 0.5239f;

struct KnobEntry
{
    PixelRect rect;
    int bitmap;
    long tag;
};

constexpr KnobEntry knobTable[] = {
    {layout::sideGain, bitmapId::knobLargeBipolar, tag::sideGain},
    {layout::xcorrTime, bitmapId::knobSmall, tag::xcorrTime},
    {layout::xcorrThreshold, bitmapId::knobSmall, tag::xcorrThreshold},
    {layout::envHysteresis, bitmapId::knobSmall, tag::envHysteresis},
    {layout::envRelease, bitmapId::knobLarge, tag::envRelease},
    {layout::stereoLink, bitmapId::knobSmall, tag::stereoLink},
    {layout::softclipThresh, bitmapId::knobSmallBipolar, tag::softclipThresh},
    {layout::softclipAmount, bitmapId::knobSmall, tag::softclipAmount},
    {layout::rmsAttack, bitmapId::knobSmall, tag::rmsAttack},
    {layout::rmsRelease, bitmapId::knobSmall, tag::rmsRelease},
    {layout::rmsThreshold, bitmapId::knobLarge, tag::rmsThreshold},
};

// The "Dithering" menu: entry i is menu position i (64 bit down to 8 bit).
constexpr const char* wordLengthEntries[] = {"64 bit", "32 bit", "24 bit", "20 bit",
                                             "16 bit", "12 bit", " 8 bit"};

constexpr const char* peakHoldResetMessage = "Reset peak hold";
} // namespace editor_layout
