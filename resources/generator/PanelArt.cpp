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
const char* const minus = "\u2212";

const TextStyle captionStyle{9.0, false, palette::caption};
const TextStyle rangeStyle{8.0, false, palette::scale};
const TextStyle titleStyle{9.0, true, palette::heading};
const TextStyle scaleStyle{9.0, false, palette::scale};
const TextStyle brandStyle{10.0, true, palette::displayTitle};
const TextStyle displayCaptionStyle{8.0, false, palette::scale};

// A caption's centre sits this far above the top of its control, or below its bottom.
constexpr int captionAbovePx = 9;
constexpr int captionBelowPx = 9;
constexpr int titleInsetPx = 8;
constexpr double titleCentreBelowTopPx = 7.5;
constexpr double plateCornerRadiusPx = 4.0;
constexpr double windowCornerRadiusPx = 3.0;
// Fader scales: long ticks where a figure stands, short ones between.
constexpr int majorTickPx = 4;
constexpr int minorTickPx = 2;
// Nested brackets under symmetric meter pairs: the innermost pair's caption hangs this far
// below the meters, each pair further out one step lower.
constexpr int bracketFirstDropPx = 7;
constexpr int bracketStepPx = 9;
// Tick ring around each knob: eleven ticks, one per tenth of the range.
constexpr int knobTickCount = 11;
constexpr double knobTickGapPx = 1.5;
constexpr double knobTickLengthPx = 2.0;

struct Plate
{
    PixelRect rect;
    const char* title; // null: the plate's controls carry their own captions
};

const Plate plates[] = {
    {{4, 6, 157, 204}, "ENVELOPE"}, {{4, 207, 157, 392}, "XCORR"},
    {{437, 6, 596, 100}, nullptr},  {{437, 103, 596, 197}, "SOFTCLIP"},
    {{437, 200, 596, 392}, "RMS"},
};
// Captions keep this distance from their plate's sides.
constexpr int plateMarginPx = 5;

constexpr PixelRect meterWindowRect{161, 36, 433, 392};

struct KnobLegend
{
    PixelRect rect;
    const char* caption;
    std::string minimum;
    std::string maximum;
};

const KnobLegend knobLegends[] = {
    {layout::envHysteresis, "HYST [ms]", "0", "200"},
    {layout::envRelease, "RELEASE [ms]", "0", "200"},
    {layout::stereoLink, "LINK [%]", "0", "100"},
    {layout::sideGain, "SIDE GAIN [%]", "0", "200"},
    {layout::xcorrThreshold, "THRESHOLD", std::string(minus) + "1.0", "+1.0"},
    {layout::xcorrTime, "TIME [ms]", "0", "500"},
    {layout::softclipThresh, "THRESHOLD [dB]", std::string(minus) + "20", "+20"},
    {layout::softclipAmount, "AMOUNT [%]", "0", "100"},
    {layout::rmsAttack, "ATTACK [ms]", "0", "200"},
    {layout::rmsRelease, "RELEASE [ms]", "0", "200"},
    {layout::rmsThreshold, "THRESHOLD [dB]", std::string(minus) + "20", "20"},
};

// The gain-reduction legend fills the gap between the two RMS gain meters.
constexpr PixelRect gainLegendArea{layout::rmsGainLeft.right, art::legendTopPx,
                                   layout::rmsGainRight.left,
                                   art::legendTopPx + art::legendHeightPx};

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
    const double radius = plateCornerRadiusPx;
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height(), radius);
    fillColour(cr, palette::plateEdgeDark);
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height() - 1.0, radius);
    fillColour(cr, palette::plateEdgeLight);
    pathRoundedRect(cr, r.left, r.top + 1.0, r.width(), r.height() - 2.0, radius);
    fillColour(cr, palette::plate);
    if (plate.title)
        drawText(cr, plate.title, r.left + titleInsetPx, r.top + titleCentreBelowTopPx,
                 TextAlign::left, titleStyle);
}

const Plate& plateAround(const PixelRect& control)
{
    for (const Plate& plate : plates)
        if (control.left >= plate.rect.left && control.right <= plate.rect.right &&
            control.top >= plate.rect.top && control.bottom <= plate.rect.bottom)
            return plate;
    throw std::logic_error("a knob outside every plate");
}

// Centred over the control, moved sideways only as far as needed to stay on its plate.
void drawCaptionOnPlate(cairo_t* cr, const char* caption, const PixelRect& control)
{
    const PixelRect& plate = plateAround(control).rect;
    const double halfWidth = textWidth(cr, caption, captionStyle) / 2.0;
    const double centreX = std::clamp(control.centreX(), plate.left + plateMarginPx + halfWidth,
                                      plate.right - plateMarginPx - halfWidth);
    drawText(cr, caption, centreX, control.top - captionAbovePx, TextAlign::centre, captionStyle);
}

void drawKnobLegend(cairo_t* cr, const KnobLegend& knob)
{
    const double cx = knob.rect.centreX();
    const double cy = knob.rect.centreY();
    const double half = knob.rect.width() / 2.0;
    drawCaptionOnPlate(cr, knob.caption, knob.rect);

    cairo_set_line_width(cr, 1.0 / deviceScale(cr)); // one device pixel
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    setColour(cr, palette::tick);
    for (int tick = 0; tick < knobTickCount; ++tick)
    {
        const double degrees =
            art::knobMinimumDegrees + art::knobSweepDegrees * tick / (knobTickCount - 1);
        const double angle = cairoAngle(degrees);
        const double inner = half + knobTickGapPx;
        const double outer = inner + knobTickLengthPx;
        cairo_move_to(cr, cx + std::cos(angle) * inner, cy + std::sin(angle) * inner);
        cairo_line_to(cr, cx + std::cos(angle) * outer, cy + std::sin(angle) * outer);
    }
    cairo_stroke(cr);

    // Range ends under the first and last tick (which lie 0.7 of a half-width to the sides).
    const double endOffset = half * std::sin(-art::knobMinimumDegrees * pi / 180.0);
    const double rangeY = knob.rect.bottom + 2;
    drawText(cr, knob.minimum, cx - endOffset, rangeY, TextAlign::centre, rangeStyle);
    drawText(cr, knob.maximum, cx + endOffset, rangeY, TextAlign::centre, rangeStyle);
}

void drawDisplayArea(cairo_t* cr)
{
    const PixelRect& area = layout::displayArea;
    // Recessed: dark lip on the sides, light lip below.
    drawVerticalLine(cr, area.left - 1, area.top, area.bottom + 1, palette::plateEdgeDark);
    drawVerticalLine(cr, area.right, area.top, area.bottom + 1, palette::plateEdgeDark);
    drawHorizontalLine(cr, area.left - 1, area.right + 1, area.bottom, palette::plateEdgeLight);
    fillRect(cr, area, palette::displayBlack);
    // The upper line of the display; the status line and the menu fill the lower one.
    const double upperLineCentre = 9.5;
    drawText(cr, "VARNHOLT PRO", area.left + titleInsetPx, upperLineCentre, TextAlign::left,
             brandStyle);
    drawText(cr, "WORD LENGTH", layout::wordLengthMenu.right - 3, upperLineCentre, TextAlign::right,
             displayCaptionStyle);
}

void drawMeterWindow(cairo_t* cr)
{
    // Recessed: dark lip on top, light lip below.
    const PixelRect& r = meterWindowRect;
    const double radius = windowCornerRadiusPx;
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height(), radius);
    fillColour(cr, palette::plateEdgeLight);
    pathRoundedRect(cr, r.left, r.top, r.width(), r.height() - 1.0, radius);
    fillColour(cr, palette::plateEdgeDark);
    pathRoundedRect(cr, r.left, r.top + 1.0, r.width(), r.height() - 2.0, radius);
    fillColour(cr, palette::meterWindow);
    const PixelRect wells[] = {
        wellAround({layout::softclipGainLeft, layout::limiterGainLeft, layout::rmsGainLeft}),
        wellAround({layout::rmsGainRight, layout::limiterGainRight, layout::softclipGainRight}),
        wellAround({layout::correlation}),
        wellAround({layout::outputPeakLeft, layout::outputRmsLeft}),
        wellAround({layout::outputRmsRight, layout::outputPeakRight}),
    };
    for (const PixelRect& well : wells)
        fillRect(cr, well, palette::meterWell);
}

// Position of a fader's value mark (the handle's centre row) for a normalised value.
int faderMarkRow(double value)
{
    return art::faderTravelTopPx + int(std::lround((1.0 - value) * art::faderTravelPx)) +
           art::faderHandleHeightPx / 2;
}

// Drive in dB from +20 at the top of the travel to -52 at the bottom: the input gain law
// shifted by the engine's fixed +20 dB.
void drawDriveLegend(cairo_t* cr)
{
    constexpr double driveOffsetDb = 20.0;
    const PixelRect& fader = layout::driveFader;
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
        drawHorizontalLine(cr, tickRight - (labelled ? majorTickPx : minorTickPx), tickRight, row,
                           palette::tick);
        if (!labelled)
            continue;
        ArtColour colour = palette::scale;
        if (driveDb == 0)
            colour = palette::legendReference;
        else if (driveDb > 0)
            colour = palette::legendAboveReference;
        drawText(cr, std::to_string(std::abs(driveDb)), tickRight - majorTickPx - 2, row + 0.5,
                 TextAlign::right, {scaleStyle.sizePx, false, colour});
    }
    drawText(cr, "DRIVE", fader.centreX(), fader.bottom + captionBelowPx, TextAlign::centre,
             captionStyle);
}

// The trim fader follows the output gain law, so its ticks line up with the output legend:
// every 3 dB down to -36, longer every 12 dB, then -48, -60 and -72.
void drawTrimTicks(cairo_t* cr)
{
    const PixelRect& fader = layout::trimFader;
    auto tick = [cr, &fader](int trimDb, int lengthPx)
    {
        drawHorizontalLine(cr, fader.right + 1, fader.right + 1 + lengthPx,
                           faderMarkRow(gainLawPositionForDb(trimDb)), palette::tick);
    };
    for (int trimDb = 0; trimDb >= -36; trimDb -= 3)
        tick(trimDb, trimDb % 12 == 0 ? majorTickPx : minorTickPx);
    for (int trimDb : {-48, -60, -72})
        tick(trimDb, minorTickPx);
    drawText(cr, "TRIM", fader.centreX(), fader.bottom + captionBelowPx, TextAlign::centre,
             captionStyle);
}

// Correlation +1 at the top of the meter, -1 at the bottom.
void drawCorrelationLegend(cairo_t* cr)
{
    const PixelRect& meter = layout::correlation;
    const std::string labels[] = {"+1.0", "+0.5", "+0.0", std::string(minus) + "0.5",
                                  std::string(minus) + "1.0"};
    const int labelCount = 5;
    for (int index = 0; index < labelCount; ++index)
    {
        const double position = 1.0 - double(index) / (labelCount - 1);
        const int row = std::min(meter.top + stripRowForPosition(position, art::stripHeightPx),
                                 meter.bottom - 1);
        drawText(cr, labels[index], meter.right + 2, row + 0.5, TextAlign::left, rangeStyle);
    }
}

// A caption under a symmetric pair of meters, joined to both by a bracket; nesting 0 is the
// innermost pair.
void drawPairCaption(cairo_t* cr, const PixelRect& left, const PixelRect& right,
                     const char* caption, int nesting)
{
    const int leftColumn = int(left.centreX());
    const int rightColumn = int(right.centreX());
    const int row = left.bottom + bracketFirstDropPx + nesting * bracketStepPx;
    const double centreX = (leftColumn + rightColumn + 1) / 2.0;
    const double halfText = std::ceil(textWidth(cr, caption, captionStyle) / 2.0) + 2.0;
    drawVerticalLine(cr, leftColumn, left.bottom + 2, row + 1, palette::tick);
    drawVerticalLine(cr, rightColumn, right.bottom + 2, row + 1, palette::tick);
    drawHorizontalLine(cr, leftColumn, int(centreX - halfText), row, palette::tick);
    drawHorizontalLine(cr, int(centreX + halfText), rightColumn + 1, row, palette::tick);
    drawText(cr, caption, centreX, row + 0.5, TextAlign::centre, captionStyle);
}

void drawMeterCaptions(cairo_t* cr)
{
    // Clear of the legends' top figures, which reach four rows above the meters.
    constexpr int captionRow = art::meterTopPx - 14;
    drawText(cr, "LIMITER", gainLegendArea.centreX(), captionRow, TextAlign::centre, titleStyle);
    drawText(cr, "XCORR", layout::correlation.centreX(), captionRow, TextAlign::centre, titleStyle);
    drawText(cr, "OUTPUT", layout::outputLegend.centreX(), captionRow, TextAlign::centre,
             titleStyle);

    drawPairCaption(cr, layout::rmsGainLeft, layout::rmsGainRight, "RMS", 0);
    drawPairCaption(cr, layout::limiterGainLeft, layout::limiterGainRight, "ENV", 1);
    drawPairCaption(cr, layout::softclipGainLeft, layout::softclipGainRight, "SOFTCLIP", 2);
    drawPairCaption(cr, layout::outputRmsLeft, layout::outputRmsRight, "RMS", 0);
    drawPairCaption(cr, layout::outputPeakLeft, layout::outputPeakRight, "PEAK", 1);

    // The held-peak readout sits in a recess under the output meters.
    const PixelRect& readout = layout::peakReadout;
    strokeRectInside(cr, {readout.left - 1, readout.top - 1, readout.right + 1, readout.bottom + 1},
                     palette::plateEdgeDark);
}

void drawRightColumnCaptions(cairo_t* cr)
{
    drawText(cr, "BYPASS", layout::bypass.centreX(), layout::bypass.top - captionAbovePx,
             TextAlign::centre, titleStyle);
    const char* const names[] = {"PK", "K12", "K14", "K20"};
    const double scaleCentre = (layout::scalePk.left + layout::scaleK20.right) / 2.0;
    // A title line above the buttons' own captions.
    drawText(cr, "OUTPUT SCALE", scaleCentre, layout::scalePk.top - captionAbovePx - 12,
             TextAlign::centre, titleStyle);
    for (int index = 0; index < int(std::size(names)); ++index)
        drawText(cr, names[index], layout::scaleButtons[index].centreX(),
                 layout::scaleButtons[index].top - captionAbovePx, TextAlign::centre, captionStyle);
    // The ISP button is small and sits in a corner: its caption goes beside it.
    drawText(cr, "ISP", layout::interSamplePeak.left - plateMarginPx,
             layout::interSamplePeak.centreY(), TextAlign::right, captionStyle);
}
} // namespace

ArtBitmap drawPanel(double scale)
{
    ArtBitmap panel =
        makeScaledBitmap(bitmapId::panel, art::panelWidthPx, art::panelHeightPx, 24, scale);
    ContextPtr context = makeContext(panel);
    cairo_t* cr = context.get();
    fillRect(cr, {0, 0, art::panelWidthPx, art::panelHeightPx}, palette::panelBase);
    for (const Plate& plate : plates)
        drawPlate(cr, plate);
    for (const KnobLegend& knob : knobLegends)
        drawKnobLegend(cr, knob);
    drawRightColumnCaptions(cr);
    drawDisplayArea(cr);
    drawMeterWindow(cr);
    drawDbScale(cr, gainLegendArea, 0.0);
    drawCorrelationLegend(cr);
    drawDriveLegend(cr);
    drawTrimTicks(cr);
    drawMeterCaptions(cr);
    return panel;
}
