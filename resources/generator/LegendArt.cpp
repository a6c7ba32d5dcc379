#include "ArtFamilies.h"
#include "MeterLaw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr double kLabelStepDb = 3.0;
constexpr double kUpperSegmentFloorDb = -36.0;
// Below -36 dB the law packs a decibel into one pixel, so only a few levels are marked there.
const double kLowerSegmentLabelsDb[] = {-48.0, -60.0, -70.0};
constexpr int kMinimumLabelSpacingPx = 11; // two 9-pixel figures and a gap
constexpr int kTickLengthPx = 2;
constexpr double kLegendFontPx = 9.0;

// Full scale, then every 3 dB from the reference level up and down to -36 dBFS (skipping a
// figure that would touch its neighbour), then a few levels in the packed bottom seventh.
std::vector<double> labelLevelsDb(double referenceDb)
{
    std::vector<double> levels{0.0};
    const int stepsBelow = int(std::floor((referenceDb - kUpperSegmentFloorDb) / kLabelStepDb));
    const int stepsAbove = int(std::floor(-referenceDb / kLabelStepDb));
    for (int step = stepsAbove; step >= -stepsBelow; --step)
    {
        const double levelDb = referenceDb + step * kLabelStepDb;
        const int row = stripRowForDb(levelDb, art::kStripHeightPx);
        if (row - stripRowForDb(levels.back(), art::kStripHeightPx) >= kMinimumLabelSpacingPx)
            levels.push_back(levelDb);
    }
    levels.insert(levels.end(), std::begin(kLowerSegmentLabelsDb), std::end(kLowerSegmentLabelsDb));
    return levels;
}

ArtColour labelColour(double levelDb, double referenceDb)
{
    if (std::fabs(levelDb - referenceDb) < 0.01)
        return palette::kLegendReference;
    return levelDb > referenceDb ? palette::kLegendAboveReference : palette::kScale;
}
} // namespace

void drawDbScale(cairo_t* cr, const PixelRect& area, double referenceDb)
{
    const double capHalfHeightPx = kLegendFontPx * kCapHeightPerFontPx / 2.0;
    const int meterTopInAreaPx = area.top + art::kMeterTopPx - art::kLegendTopPx;
    for (double levelDb : labelLevelsDb(referenceDb))
    {
        const int row = meterTopInAreaPx + stripRowForDb(levelDb, art::kStripHeightPx);
        drawHorizontalLine(cr, area.left, area.left + kTickLengthPx, row, palette::kTick);
        drawHorizontalLine(cr, area.right - kTickLengthPx, area.right, row, palette::kTick);
        char text[24];
        std::snprintf(text, sizeof text, "%02ld", std::lround(std::fabs(levelDb - referenceDb)));
        // Figures at the ends of the scale move inward rather than lose their top or bottom.
        const double centreY = std::clamp(row + 0.5, area.top + capHalfHeightPx + 0.5,
                                          area.bottom - capHalfHeightPx - 0.5);
        drawText(cr, text, area.centreX(), centreY, TextAlign::centre,
                 {kLegendFontPx, false, labelColour(levelDb, referenceDb)});
    }
}

namespace
{
struct Legend
{
    int id;
    double referenceDb;
};

const Legend kLegends[] = {{bitmapId::kLegendPk, 0.0},
                           {bitmapId::kLegendK12, -12.0},
                           {bitmapId::kLegendK14, -14.0},
                           {bitmapId::kLegendK20, -20.0}};

ArtBitmap drawLegend(const Legend& legend, double scale)
{
    ArtBitmap bitmap =
        makeScaledBitmap(legend.id, art::kLegendWidthPx, art::kLegendHeightPx, 24, scale);
    ContextPtr cr = makeContext(bitmap);
    fillRect(cr.get(), {0, 0, art::kLegendWidthPx, art::kLegendHeightPx}, palette::kMeterWindow);
    drawDbScale(cr.get(), {0, 0, art::kLegendWidthPx, art::kLegendHeightPx}, legend.referenceDb);
    return bitmap;
}
} // namespace

ArtBitmap drawDbLegend(int id, double scale)
{
    for (const Legend& legend : kLegends)
        if (legend.id == id)
            return drawLegend(legend, scale);
    return {id, 24, nullptr};
}

std::vector<ArtBitmap> drawDbLegends(double scale)
{
    std::vector<ArtBitmap> bitmaps;
    for (const Legend& legend : kLegends)
        bitmaps.push_back(drawLegend(legend, scale));
    return bitmaps;
}
