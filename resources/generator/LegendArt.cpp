#include "ArtFamilies.h"
#include "MeterLaw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr double labelStepDb = 3.0;
constexpr double upperSegmentFloorDb = -36.0;
// Below -36 dB the law packs a decibel into one pixel, so only a few levels are marked there.
const double lowerSegmentLabelsDb[] = {-48.0, -60.0, -70.0};
constexpr int minimumLabelSpacingPx = 11; // two 9-pixel figures and a gap
constexpr int tickLengthPx = 2;
constexpr double legendFontPx = 9.0;

// Full scale, then every 3 dB from the reference level up and down to -36 dBFS (skipping a
// figure that would touch its neighbour), then a few levels in the packed bottom seventh.
std::vector<double> labelLevelsDb(double referenceDb)
{
    std::vector<double> levels{0.0};
    const int stepsBelow = int(std::floor((referenceDb - upperSegmentFloorDb) / labelStepDb));
    const int stepsAbove = int(std::floor(-referenceDb / labelStepDb));
    for (int step = stepsAbove; step >= -stepsBelow; --step)
    {
        const double levelDb = referenceDb + step * labelStepDb;
        const int row = stripRowForDb(levelDb, art::stripHeightPx);
        if (row - stripRowForDb(levels.back(), art::stripHeightPx) >= minimumLabelSpacingPx)
            levels.push_back(levelDb);
    }
    levels.insert(levels.end(), std::begin(lowerSegmentLabelsDb), std::end(lowerSegmentLabelsDb));
    return levels;
}

ArtColour labelColour(double levelDb, double referenceDb)
{
    if (std::fabs(levelDb - referenceDb) < 0.01)
        return palette::legendReference;
    return levelDb > referenceDb ? palette::legendAboveReference : palette::scale;
}
} // namespace

void drawDbScale(cairo_t* cr, const PixelRect& area, double referenceDb)
{
    const double capHalfHeightPx = legendFontPx * capHeightPerFontPx / 2.0;
    const int meterTopInAreaPx = area.top + art::meterTopPx - art::legendTopPx;
    for (double levelDb : labelLevelsDb(referenceDb))
    {
        const int row = meterTopInAreaPx + stripRowForDb(levelDb, art::stripHeightPx);
        drawHorizontalLine(cr, area.left, area.left + tickLengthPx, row, palette::tick);
        drawHorizontalLine(cr, area.right - tickLengthPx, area.right, row, palette::tick);
        char text[24];
        std::snprintf(text, sizeof text, "%02ld", std::lround(std::fabs(levelDb - referenceDb)));
        // Figures at the ends of the scale move inward rather than lose their top or bottom.
        const double centreY = std::clamp(row + 0.5, area.top + capHalfHeightPx + 0.5,
                                          area.bottom - capHalfHeightPx - 0.5);
        drawText(cr, text, area.centreX(), centreY, TextAlign::centre,
                 {legendFontPx, false, labelColour(levelDb, referenceDb)});
    }
}

namespace
{
struct Legend
{
    int id;
    double referenceDb;
};

const Legend legends[] = {{bitmapId::legendPk, 0.0},
                          {bitmapId::legendK12, -12.0},
                          {bitmapId::legendK14, -14.0},
                          {bitmapId::legendK20, -20.0}};

ArtBitmap drawLegend(const Legend& legend, double scale)
{
    ArtBitmap bitmap =
        makeScaledBitmap(legend.id, art::legendWidthPx, art::legendHeightPx, 24, scale);
    ContextPtr cr = makeContext(bitmap);
    fillRect(cr.get(), {0, 0, art::legendWidthPx, art::legendHeightPx}, palette::meterWindow);
    drawDbScale(cr.get(), {0, 0, art::legendWidthPx, art::legendHeightPx}, legend.referenceDb);
    return bitmap;
}
} // namespace

ArtBitmap drawDbLegend(int id, double scale)
{
    for (const Legend& legend : legends)
        if (legend.id == id)
            return drawLegend(legend, scale);
    return {id, 24, nullptr};
}

std::vector<ArtBitmap> drawDbLegends(double scale)
{
    std::vector<ArtBitmap> bitmaps;
    for (const Legend& legend : legends)
        bitmaps.push_back(drawLegend(legend, scale));
    return bitmaps;
}
