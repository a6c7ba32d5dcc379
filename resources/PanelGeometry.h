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
constexpr int kPanel = 1024;
constexpr int kFaderTrack = 1025;
constexpr int kFaderHandle = 1026;
constexpr int kStripUnlit = 1027;
constexpr int kStripPk = 1028;
constexpr int kStripK12 = 1029;
constexpr int kStripK14 = 1030;
constexpr int kStripK20 = 1031;
constexpr int kLegendPk = 1032;
constexpr int kLegendK12 = 1033;
constexpr int kLegendK14 = 1034;
constexpr int kLegendK20 = 1035;
constexpr int kStripInverted = 1036;
constexpr int kNobSmall = 1037;
constexpr int kNobSmallBipolar = 1038;
constexpr int kNobLarge = 1039;
constexpr int kNobLargeBipolar = 1040;
constexpr int kButtonLarge = 1041;
constexpr int kButtonSmall = 1042;
constexpr int kDisplayStrip = 1043;
} // namespace bitmapId

namespace art
{
constexpr int kPanelWidthPx = 600;
constexpr int kPanelHeightPx = 400;
constexpr int kFaderWidthPx = 15;
constexpr int kFaderTrackHeightPx = 286;
constexpr int kFaderHandleHeightPx = 34;
constexpr int kStripWidthPx = 9;
constexpr int kStripHeightPx = 253; // one pixel per meter segment
constexpr int kLegendWidthPx = 18;
constexpr int kLegendHeightPx = 258;
constexpr int kNobFrameCount = 65;
// A knob's pointer sweeps 270 degrees, from 135 degrees left of the top to 135 degrees right.
constexpr double kNobSweepDegrees = 270.0;
constexpr double kNobMinimumDegrees = -135.0;
constexpr int kSmallKnobPx = 50;
constexpr int kLargeKnobPx = 70;
constexpr int kLargeButtonPx = 33;
constexpr int kSmallButtonWidthPx = 22;
constexpr int kSmallButtonHeightPx = 20;
constexpr int kButtonFrameCount = 2;
constexpr int kDisplayStripWidthPx = 251;
constexpr int kDisplayStripHeightPx = 10;

// Meter strips start at this frame row; the legend view starts two rows higher, so legend row r
// sits beside frame row legendTopPx + r.
constexpr int kMeterTopPx = 71;
constexpr int kLegendTopPx = 69;
// Fader handles travel with their top edge between these rows; the handle's centre line is the
// value mark, which lines up with the meter rows.
constexpr int kFaderTravelTopPx = 55;
constexpr int kFaderTravelPx = 252;
} // namespace art

namespace layout
{
constexpr PixelRect kDisplayArea{173, 0, 425, 30};
constexpr PixelRect kStatusLine{209, 19, 390, 29};
constexpr PixelRect kWordLengthMenu{390, 19, 425, 29};
constexpr PixelRect kPeakReadout{320, 346, 390, 356};

constexpr PixelRect kOutputPeakLeft{330, 71, 339, 324};
constexpr PixelRect kOutputPeakRight{371, 71, 380, 324};
constexpr PixelRect kOutputRmsLeft{340, 71, 344, 324};
constexpr PixelRect kOutputRmsRight{366, 71, 370, 324};
constexpr PixelRect kCorrelation{299, 71, 308, 324};
constexpr PixelRect kLimiterGainLeft{231, 71, 240, 324};
constexpr PixelRect kLimiterGainRight{272, 71, 281, 324};
constexpr PixelRect kSoftclipGainLeft{221, 71, 230, 324};
constexpr PixelRect kSoftclipGainRight{282, 71, 291, 324};
constexpr PixelRect kRmsGainLeft{241, 71, 245, 324};
constexpr PixelRect kRmsGainRight{267, 71, 271, 324};
constexpr PixelRect kOutputLegend{346, 69, 364, 327};

constexpr PixelRect kTrimFader{406, 55, 421, 341};
constexpr PixelRect kDriveFader{181, 55, 196, 341};

constexpr PixelRect kScalePk{488, 61, 510, 81};
constexpr PixelRect kScaleK12{513, 61, 535, 81};
constexpr PixelRect kScaleK14{538, 61, 560, 81};
constexpr PixelRect kScaleK20{563, 61, 585, 81};
// The output scale buttons, PK, K12, K14, K20 in this order.
constexpr PixelRect kScaleButtons[] = {kScalePk, kScaleK12, kScaleK14, kScaleK20};
constexpr PixelRect kBypass{443, 60, 476, 93};
constexpr PixelRect kInterSamplePeak{130, 181, 152, 201};

constexpr PixelRect kSideGain{22, 257, 92, 327};
constexpr PixelRect kXcorrTime{102, 304, 152, 354};
constexpr PixelRect kXcorrThreshold{102, 228, 152, 278};
constexpr PixelRect kEnvHysteresis{21, 58, 71, 108};
constexpr PixelRect kEnvRelease{81, 87, 151, 157};
constexpr PixelRect kStereoLink{21, 134, 71, 184};
constexpr PixelRect kSoftclipThresh{448, 134, 498, 184};
constexpr PixelRect kSoftclipAmount{530, 134, 580, 184};
constexpr PixelRect kRmsAttack{448, 228, 498, 278};
constexpr PixelRect kRmsRelease{448, 304, 498, 354};
constexpr PixelRect kRmsThreshold{510, 257, 580, 327};
} // namespace layout
