#pragma once

// Sizes of the editor's bitmaps and where the editor places its controls, in frame pixels.
// The panel's captions and scales are drawn around these rectangles, so they live in one place.

struct PixelRect
{
    int left;
    int top;
    int right;  // exclusive
    int bottom; // exclusive

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    double centreX() const { return (left + right) / 2.0; }
    double centreY() const { return (top + bottom) / 2.0; }
};

namespace bitmapId
{
constexpr int panel = 1024;
constexpr int faderTrack = 1025;
constexpr int faderHandle = 1026;
constexpr int stripUnlit = 1027;
constexpr int stripPk = 1028;
constexpr int stripK12 = 1029;
constexpr int stripK14 = 1030;
constexpr int stripK20 = 1031;
constexpr int legendPk = 1032;
constexpr int legendK12 = 1033;
constexpr int legendK14 = 1034;
constexpr int legendK20 = 1035;
constexpr int stripInverted = 1036;
constexpr int knobSmall = 1037;
constexpr int knobSmallBipolar = 1038;
constexpr int knobLarge = 1039;
constexpr int knobLargeBipolar = 1040;
constexpr int buttonLarge = 1041;
constexpr int buttonSmall = 1042;
constexpr int displayStrip = 1043;
} // namespace bitmapId

namespace art
{
constexpr int panelWidthPx = 600;
constexpr int panelHeightPx = 400;
constexpr int faderWidthPx = 15;
constexpr int faderTrackHeightPx = 286;
constexpr int faderHandleHeightPx = 34;
constexpr int stripWidthPx = 9;
constexpr int stripHeightPx = 253; // one pixel per meter segment
constexpr int legendWidthPx = 18;
constexpr int legendHeightPx = 258;
constexpr int knobFrameCount = 65;
// A knob's pointer sweeps 270 degrees, from 135 degrees left of the top to 135 degrees right.
constexpr double knobSweepDegrees = 270.0;
constexpr double knobMinimumDegrees = -135.0;
constexpr int smallKnobPx = 50;
constexpr int largeKnobPx = 70;
constexpr int largeButtonPx = 33;
constexpr int smallButtonWidthPx = 22;
constexpr int smallButtonHeightPx = 20;
constexpr int buttonFrameCount = 2;
constexpr int displayStripWidthPx = 251;
constexpr int displayStripHeightPx = 10;

// Meter strips start at this frame row; the legend view starts two rows higher, so legend row r
// sits beside frame row legendTopPx + r.
constexpr int meterTopPx = 71;
constexpr int legendTopPx = 69;
// Fader handles travel with their top edge between these rows; the handle's centre line is the
// value mark, which lines up with the meter rows.
constexpr int faderTravelTopPx = 55;
constexpr int faderTravelPx = 252;
} // namespace art

namespace layout
{
constexpr PixelRect displayArea{173, 0, 425, 30};
constexpr PixelRect statusLine{209, 19, 390, 29};
constexpr PixelRect wordLengthMenu{390, 19, 425, 29};
constexpr PixelRect peakReadout{320, 346, 390, 356};

constexpr PixelRect outputPeakLeft{330, 71, 339, 324};
constexpr PixelRect outputPeakRight{371, 71, 380, 324};
constexpr PixelRect outputRmsLeft{340, 71, 344, 324};
constexpr PixelRect outputRmsRight{366, 71, 370, 324};
constexpr PixelRect correlation{299, 71, 308, 324};
constexpr PixelRect limiterGainLeft{231, 71, 240, 324};
constexpr PixelRect limiterGainRight{272, 71, 281, 324};
constexpr PixelRect softclipGainLeft{221, 71, 230, 324};
constexpr PixelRect softclipGainRight{282, 71, 291, 324};
constexpr PixelRect rmsGainLeft{241, 71, 245, 324};
constexpr PixelRect rmsGainRight{267, 71, 271, 324};
constexpr PixelRect outputLegend{346, 69, 364, 327};

constexpr PixelRect trimFader{406, 55, 421, 341};
constexpr PixelRect driveFader{181, 55, 196, 341};

constexpr PixelRect scalePk{488, 61, 510, 81};
constexpr PixelRect scaleK12{513, 61, 535, 81};
constexpr PixelRect scaleK14{538, 61, 560, 81};
constexpr PixelRect scaleK20{563, 61, 585, 81};
// The output scale buttons, PK, K12, K14, K20 in this order.
constexpr PixelRect scaleButtons[] = {scalePk, scaleK12, scaleK14, scaleK20};
constexpr PixelRect bypass{443, 60, 476, 93};
constexpr PixelRect interSamplePeak{130, 181, 152, 201};

constexpr PixelRect sideGain{22, 257, 92, 327};
constexpr PixelRect xcorrTime{102, 304, 152, 354};
constexpr PixelRect xcorrThreshold{102, 228, 152, 278};
constexpr PixelRect envHysteresis{21, 58, 71, 108};
constexpr PixelRect envRelease{81, 87, 151, 157};
constexpr PixelRect stereoLink{21, 134, 71, 184};
constexpr PixelRect softclipThresh{448, 134, 498, 184};
constexpr PixelRect softclipAmount{530, 134, 580, 184};
constexpr PixelRect rmsAttack{448, 228, 498, 278};
constexpr PixelRect rmsRelease{448, 304, 498, 354};
constexpr PixelRect rmsThreshold{510, 257, 580, 327};
} // namespace layout
