#include "ArtFamilies.h"
#include "MeterLaw.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>

namespace
{
const char* const kMinus = "\u2212";

const TextStyle kCaptionStyle{9.0, false, palette::kCaption};
const TextStyle kRangeStyle{8.0, false, palette::kScale};
const TextStyle kTitleStyle{9.0, true, palette::kHeading};
const TextStyle kScaleStyle{9.0, false, palette::kScale};
const TextStyle kBrandStyle{10.0, true, palette::kDisplayTitle};
const TextStyle kDisplayCaptionStyle{8.0, false, palette::kScale};

// A caption's centre sits this far above the top of its control, or below its bottom.
constexpr int kCaptionAbovePx = 9;
constexpr int kCaptionBelowPx = 9;
constexpr int kTitleInsetPx = 8;
constexpr double kTitleCentreBelowTopPx = 7.5;
constexpr double kPlateCornerRadiusPx = 4.0;
constexpr double kWindowCornerRadiusPx = 3.0;
// Fader scales: long ticks where a figure stands, short ones between.
constexpr int kMajorTickPx = 4;
constexpr int kMinorTickPx = 2;
// Nested brackets under symmetric meter pairs: the innermost pair's caption hangs this far
// below the meters, each pair further out one step lower.
constexpr int kBracketFirstDropPx = 7;
constexpr int kBracketStepPx = 9;
// Tick ring around each knob: eleven ticks, one per tenth of the range.
constexpr int kNobTickCount = 11;
constexpr double kNobTickGapPx = 1.5;
constexpr double kNobTickLengthPx = 2.0;

struct Plate
{
    PixelRect rect;
    const char* title; // null: the plate's controls carry their own captions
};

const Plate kPlates[] = {
    {{4, 6, 157, 204}, "ENVELOPE"}, {{4, 207, 157, 392}, "XCORR"},
    {{437, 6, 596, 100}, nullptr},  {{437, 103, 596, 197}, "SOFTCLIP"},
    {{437, 200, 596, 392}, "RMS"},
};
// Captions keep this distance from their plate's sides.
constexpr int kPlateMarginPx = 5;

constexpr PixelRect kMeterWindowRect{161, 36, 433, 392};

struct KnobLegend
{
    PixelRect rect;
    const char* caption;
    std::string minimum;
    std::string maximum;
};

const KnobLegend kNobLegends[] = {
    {layout::kEnvHysteresis, "HYST [ms]", "0", "200"},
    {layout::kEnvRelease, "RELEASE [ms]", "0", "200"},
    {layout::kStereoLink, "LINK [%]", "0", "100"},
    {layout::kSideGain, "SIDE GAIN [%]", "0", "200"},
    {layout::kXcorrThreshold, "THRESHOLD", std::string(kMinus) + "1.0", "+1.0"},
    {layout::kXcorrTime, "TIME [ms]", "0", "500"},
    {layout::kSoftclipThresh, "THRESHOLD [dB]", std::string(kMinus) + "20", "+20"},
    {layout::kSoftclipAmount, "AMOUNT [%]", "0", "100"},
    {layout::kRmsAttack, "ATTACK [ms]", "0", "200"},
    {layout::kRmsRelease, "RELEASE [ms]", "0", "200"},
    {layout::kRmsThreshold, "THRESHOLD [dB]", std::string(kMinus) + "20", "20"},
};

// The gain-reduction legend fills the gap between the two RMS gain meters.
constexpr PixelRect kGainLegendArea{layout::kRmsGainLeft.right, art::kLegendTopPx,
                                    layout::kRmsGainRight.left,
                                    art::kLegendTopPx + art::kLegendHeightPx};

// Meter groups sit in wells one pixel larger than the meters; the pixel columns between
// neighbouring meters show the well.
PixelRect wellAround(std::initializer_list<PixelRect> meters)
{
    PixelRect well = *meters.begin();
    for (const PixelRect& meter : meters)
        well = {std::min(well.left, meter.left), std::min(well.top, meter.top),
                std::max(well.right, meter.right), std::max(well.bottom, meter.bottom)};
    return {well.left - 1, well.top - 1, well.right + 1, well.bottom + 1};
}

void fillColour(cairo_t* cr, ArtColour colour)
{
    setColour(cr, colour);
    cairo_fill(cr);
}

void drawPlate(cairo_t* cr, const Plate& plate)
{
    const PixelRect& r = plate.rect;
    // Raised: light lip on top, dark lip below.
    const double radius = kPlateCornerRadiusPx;
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height(), radius);
    fillColour(cr, palette::kPlateEdgeDark);
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height() - 1.0, radius);
    fillColour(cr, palette::kPlateEdgeLight);
    pathRoundedRect(cr, r.left, r.top + 1.0, r.width(), r.height() - 2.0, radius);
    fillColour(cr, palette::kPlate);
    if (plate.title)
        drawText(cr, plate.title, r.left + kTitleInsetPx, r.top + kTitleCentreBelowTopPx,
                 TextAlign::left, kTitleStyle);
}

const Plate& plateAround(const PixelRect& control)
{
    for (const Plate& plate : kPlates)
    {
        if (control.left >= plate.rect.left && control.right <= plate.rect.right &&
            control.top >= plate.rect.top && control.bottom <= plate.rect.bottom)
            return plate;
    }
    throw std::logic_error("a knob outside every plate");
}

// Centred over the control, moved sideways only as far as needed to stay on its plate.
void drawCaptionOnPlate(cairo_t* cr, const char* caption, const PixelRect& control)
{
    const PixelRect& plate = plateAround(control).rect;
    const double halfWidth = textWidth(cr, caption, kCaptionStyle) / 2.0;
    const double centreX = std::clamp(control.centreX(), plate.left + kPlateMarginPx + halfWidth,
                                      plate.right - kPlateMarginPx - halfWidth);
    drawText(cr, caption, centreX, control.top - kCaptionAbovePx, TextAlign::centre, kCaptionStyle);
}

void drawKnobLegend(cairo_t* cr, const KnobLegend& knob)
{
    const double cx = knob.rect.centreX();
    const double cy = knob.rect.centreY();
    const double half = knob.rect.width() / 2.0;
    drawCaptionOnPlate(cr, knob.caption, knob.rect);

    cairo_set_line_width(cr, 1.0 / deviceScale(cr)); // one device pixel
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    setColour(cr, palette::kTick);
    for (int tick = 0; tick < kNobTickCount; ++tick)
    {
        const double degrees =
            art::kNobMinimumDegrees + art::kNobSweepDegrees * tick / (kNobTickCount - 1);
        const double angle = cairoAngle(degrees);
        const double inner = half + kNobTickGapPx;
        const double outer = inner + kNobTickLengthPx;
        cairo_move_to(cr, cx + std::cos(angle) * inner, cy + std::sin(angle) * inner);
        cairo_line_to(cr, cx + std::cos(angle) * outer, cy + std::sin(angle) * outer);
    }
    cairo_stroke(cr);

    // Range ends under the first and last tick (which lie 0.7 of a half-width to the sides).
    const double endOffset = half * std::sin(-art::kNobMinimumDegrees * kPi / 180.0);
    const double rangeY = knob.rect.bottom + 2;
    drawText(cr, knob.minimum, cx - endOffset, rangeY, TextAlign::centre, kRangeStyle);
    drawText(cr, knob.maximum, cx + endOffset, rangeY, TextAlign::centre, kRangeStyle);
}

void drawDisplayArea(cairo_t* cr)
{
    const PixelRect& area = layout::kDisplayArea;
    // Recessed: dark lip on the sides, light lip below.
    drawVerticalLine(cr, area.left - 1, area.top, area.bottom + 1, palette::kPlateEdgeDark);
    drawVerticalLine(cr, area.right, area.top, area.bottom + 1, palette::kPlateEdgeDark);
    drawHorizontalLine(cr, area.left - 1, area.right + 1, area.bottom, palette::kPlateEdgeLight);
    fillRect(cr, area, palette::kDisplayBlack);
    // The upper line of the display; the status line and the menu fill the lower one.
    const double upperLineCentre = 9.5;
    drawText(cr, "VARNHOLT PRO", area.left + kTitleInsetPx, upperLineCentre, TextAlign::left,
             kBrandStyle);
    drawText(cr, "WORD LENGTH", layout::kWordLengthMenu.right - 3, upperLineCentre,
             TextAlign::right, kDisplayCaptionStyle);
}

void drawMeterWindow(cairo_t* cr)
{
    // Recessed: dark lip on top, light lip below.
    const PixelRect& r = kMeterWindowRect;
    const double radius = kWindowCornerRadiusPx;
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height(), radius);
    fillColour(cr, palette::kPlateEdgeLight);
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height() - 1.0, radius);
    fillColour(cr, palette::kPlateEdgeDark);
    pathRoundedRect(cr, r.left, r.top + 1.0, r.width(), r.height() - 2.0, radius);
    fillColour(cr, palette::kMeterWindow);
    const PixelRect wells[] = {
        wellAround({layout::kSoftclipGainLeft, layout::kLimiterGainLeft, layout::kRmsGainLeft}),
        wellAround({layout::kRmsGainRight, layout::kLimiterGainRight, layout::kSoftclipGainRight}),
        wellAround({layout::kCorrelation}),
        wellAround({layout::kOutputPeakLeft, layout::kOutputRmsLeft}),
        wellAround({layout::kOutputRmsRight, layout::kOutputPeakRight}),
    };
    for (const PixelRect& well : wells)
        fillRect(cr, well, palette::kMeterWell);
}

// Position of a fader's value mark (the handle's centre row) for a normalised value.
int faderMarkRow(double value)
{
    return art::kFaderTravelTopPx + int(std::lround((1.0 - value) * art::kFaderTravelPx)) +
           art::kFaderHandleHeightPx / 2;
}

// Drive in dB from +20 at the top of the travel to -52 at the bottom: the input gain law
// shifted by the engine's fixed +20 dB.
void drawDriveLegend(cairo_t* cr)
{
    constexpr double driveOffsetDb = 20.0;
    const PixelRect& fader = layout::kDriveFader;
    const int tickRight = fader.left - 1;
    // Every 5 dB down to -15, then every 10 dB where the law packs a decibel into one pixel;
    // the figures there would crowd, so only -20 and -50 carry one.
    for (int driveDb = 20; driveDb >= -50; driveDb -= 5)
    {
        const bool packed = driveDb < -15;
        if (packed && driveDb % 10 != 0)
            continue;
        const bool labelled = driveDb % 10 == 0 && (!packed || driveDb == -20 || driveDb == -50);
        const int row = faderMarkRow(gainLawPositionForDb(driveDb - driveOffsetDb));
        drawHorizontalLine(cr, tickRight - (labelled ? kMajorTickPx : kMinorTickPx), tickRight, row,
                           palette::kTick);
        if (!labelled)
            continue;
        ArtColour colour = palette::kScale;
        if (driveDb == 0)
            colour = palette::kLegendReference;
        else if (driveDb > 0)
            colour = palette::kLegendAboveReference;
        drawText(cr, std::to_string(std::abs(driveDb)), tickRight - kMajorTickPx - 2, row + 0.5,
                 TextAlign::right, {kScaleStyle.sizePx, false, colour});
    }
    drawText(cr, "DRIVE", fader.centreX(), fader.bottom + kCaptionBelowPx, TextAlign::centre,
             kCaptionStyle);
}

// The trim fader follows the output gain law, so its ticks line up with the output legend:
// every 3 dB down to -36, longer every 12 dB, then -48, -60 and -72.
void drawTrimTicks(cairo_t* cr)
{
    const PixelRect& fader = layout::kTrimFader;
    auto tick = [cr, &fader](int trimDb, int lengthPx)
    {
        drawHorizontalLine(cr, fader.right + 1, fader.right + 1 + lengthPx,
                           faderMarkRow(gainLawPositionForDb(trimDb)), palette::kTick);
    };
    for (int trimDb = 0; trimDb >= -36; trimDb -= 3)
        tick(trimDb, trimDb % 12 == 0 ? kMajorTickPx : kMinorTickPx);
    for (int trimDb : {-48, -60, -72})
        tick(trimDb, kMinorTickPx);
    drawText(cr, "TRIM", fader.centreX(), fader.bottom + kCaptionBelowPx, TextAlign::centre,
             kCaptionStyle);
}

// Correlation +1 at the top of the meter, -1 at the bottom.
void drawCorrelationLegend(cairo_t* cr)
{
    const PixelRect& meter = layout::kCorrelation;
    const std::string labels[] = {"+1.0", "+0.5", "+0.0", std::string(kMinus) + "0.5",
                                  std::string(kMinus) + "1.0"};
    const int labelCount = 5;
    for (int index = 0; index < labelCount; ++index)
    {
        const double position = 1.0 - double(index) / (labelCount - 1);
        const int row = std::min(meter.top + stripRowForPosition(position, art::kStripHeightPx),
                                 meter.bottom - 1);
        drawText(cr, labels[index], meter.right + 2, row + 0.5, TextAlign::left, kRangeStyle);
    }
}

// A caption under a symmetric pair of meters, joined to both by a bracket; nesting 0 is the
// innermost pair.
void drawPairCaption(cairo_t* cr, const PixelRect& left, const PixelRect& right,
                     const char* caption, int nesting)
{
    const int leftColumn = int(left.centreX());
    const int rightColumn = int(right.centreX());
    const int row = left.bottom + kBracketFirstDropPx + nesting * kBracketStepPx;
    const double centreX = (leftColumn + rightColumn + 1) / 2.0;
    const double halfText = std::ceil(textWidth(cr, caption, kCaptionStyle) / 2.0) + 2.0;
    drawVerticalLine(cr, leftColumn, left.bottom + 2, row + 1, palette::kTick);
    drawVerticalLine(cr, rightColumn, right.bottom + 2, row + 1, palette::kTick);
    drawHorizontalLine(cr, leftColumn, int(centreX - halfText), row, palette::kTick);
    drawHorizontalLine(cr, int(centreX + halfText), rightColumn + 1, row, palette::kTick);
    drawText(cr, caption, centreX, row + 0.5, TextAlign::centre, kCaptionStyle);
}

void drawMeterCaptions(cairo_t* cr)
{
    // Clear of the legends' top figures, which reach four rows above the meters.
    constexpr int captionRow = art::kMeterTopPx - 14;
    drawText(cr, "LIMITER", kGainLegendArea.centreX(), captionRow, TextAlign::centre, kTitleStyle);
    drawText(cr, "XCORR", layout::kCorrelation.centreX(), captionRow, TextAlign::centre,
             kTitleStyle);
    drawText(cr, "OUTPUT", layout::kOutputLegend.centreX(), captionRow, TextAlign::centre,
             kTitleStyle);

    drawPairCaption(cr, layout::kRmsGainLeft, layout::kRmsGainRight, "RMS", 0);
    drawPairCaption(cr, layout::kLimiterGainLeft, layout::kLimiterGainRight, "ENV", 1);
    drawPairCaption(cr, layout::kSoftclipGainLeft, layout::kSoftclipGainRight, "SOFTCLIP", 2);
    drawPairCaption(cr, layout::kOutputRmsLeft, layout::kOutputRmsRight, "RMS", 0);
    drawPairCaption(cr, layout::kOutputPeakLeft, layout::kOutputPeakRight, "PEAK", 1);

    // The held-peak readout sits in a recess under the output meters.
    const PixelRect& readout = layout::kPeakReadout;
    strokeRectInside(cr, {readout.left - 1, readout.top - 1, readout.right + 1, readout.bottom + 1},
                     palette::kPlateEdgeDark);
}

void drawRightColumnCaptions(cairo_t* cr)
{
    drawText(cr, "BYPASS", layout::kBypass.centreX(), layout::kBypass.top - kCaptionAbovePx,
             TextAlign::centre, kTitleStyle);
    const char* const names[] = {"PK", "K12", "K14", "K20"};
    const double scaleCentre = (layout::kScalePk.left + layout::kScaleK20.right) / 2.0;
    // A title line above the buttons' own captions.
    drawText(cr, "OUTPUT SCALE", scaleCentre, layout::kScalePk.top - kCaptionAbovePx - 12,
             TextAlign::centre, kTitleStyle);
    for (int index = 0; index < int(std::size(names)); ++index)
    {
        drawText(cr, names[index], layout::kScaleButtons[index].centreX(),
                 layout::kScaleButtons[index].top - kCaptionAbovePx, TextAlign::centre,
                 kCaptionStyle);
    }
    // The ISP button is small and sits in a corner: its caption goes beside it.
    drawText(cr, "ISP", layout::kInterSamplePeak.left - kPlateMarginPx,
             layout::kInterSamplePeak.centreY(), TextAlign::right, kCaptionStyle);
}
} // namespace

ArtBitmap drawPanel(double scale)
{
    ArtBitmap panel =
        makeScaledBitmap(bitmapId::kPanel, art::kPanelWidthPx, art::kPanelHeightPx, 24, scale);
    ContextPtr context = makeContext(panel);
    cairo_t* cr = context.get();
    fillRect(cr, {0, 0, art::kPanelWidthPx, art::kPanelHeightPx}, palette::kPanelBase);
    for (const Plate& plate : kPlates)
        drawPlate(cr, plate);
    for (const KnobLegend& knob : kNobLegends)
        drawKnobLegend(cr, knob);
    drawRightColumnCaptions(cr);
    drawDisplayArea(cr);
    drawMeterWindow(cr);
    drawDbScale(cr, kGainLegendArea, 0.0);
    drawCorrelationLegend(cr);
    drawDriveLegend(cr);
    drawTrimTicks(cr);
    drawMeterCaptions(cr);
    return panel;
}
