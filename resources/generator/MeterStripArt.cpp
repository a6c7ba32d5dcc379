#include "ArtFamilies.h"
#include "MeterLaw.h"

namespace
{
// A colour zone holds every level above fromDb up to the next zone's start.
struct Zone
{
    double fromDb;
    ArtColour colour;
};

struct ZonedStrip
{
    int id;
    std::vector<Zone> zonesFromTop;
};

// PK follows a peak programme meter; the K scales turn yellow at their reference level and
// red a few dB above it.
const ZonedStrip zonedStrips[] = {
    {bitmapId::stripPk,
     {{-3.0, palette::meterRed}, {-5.0, palette::meterOrange}, {-17.0, palette::meterYellow}}},
    {bitmapId::stripK12,
     {{-7.0, palette::meterRed}, {-9.0, palette::meterOrange}, {-12.0, palette::meterYellow}}},
    {bitmapId::stripK14,
     {{-8.4, palette::meterRed}, {-11.0, palette::meterOrange}, {-14.0, palette::meterYellow}}},
    {bitmapId::stripK20,
     {{-13.7, palette::meterRed}, {-17.0, palette::meterOrange}, {-20.0, palette::meterYellow}}},
};

// The outer columns are a touch darker so a bar reads as a lamp, also when a narrow meter shows
// only the strip's left columns.
double columnBrightness(int column)
{
    return column == 0 || column == art::stripWidthPx - 1 ? 0.82 : 1.0;
}

ArtColour scaled(ArtColour colour, double factor)
{
    return mixColour({0, 0, 0}, colour, factor);
}

void paintRow(cairo_t* cr, int row, ArtColour colour)
{
    for (int column = 0; column < art::stripWidthPx; ++column)
    {
        setColour(cr, scaled(colour, columnBrightness(column)));
        cairo_rectangle(cr, column, row, 1, 1);
        cairo_fill(cr);
    }
}

ArtBitmap makeStrip(int id)
{
    return makeBitmap(id, art::stripWidthPx, art::stripHeightPx, 24);
}

ArtBitmap drawUnlitStrip()
{
    ArtBitmap strip = makeStrip(bitmapId::stripUnlit);
    ContextPtr cr = makeContext(strip);
    for (int row = 0; row < art::stripHeightPx; ++row)
        paintRow(cr.get(), row, palette::meterUnlit);
    return strip;
}

ArtBitmap drawZonedStrip(const ZonedStrip& entry)
{
    ArtBitmap strip = makeStrip(entry.id);
    ContextPtr cr = makeContext(strip);
    const int greenTopRow = stripRowForDb(entry.zonesFromTop.back().fromDb, art::stripHeightPx);
    for (int row = 0; row < art::stripHeightPx; ++row)
    {
        // Green deepens toward the floor so the lower part of a bar stays calm.
        const double depth = double(row - greenTopRow) / (art::stripHeightPx - greenTopRow);
        ArtColour colour = mixColour(palette::meterGreen, scaled(palette::meterGreen, 0.72), depth);
        for (auto zone = entry.zonesFromTop.rbegin(); zone != entry.zonesFromTop.rend(); ++zone)
            if (row < stripRowForDb(zone->fromDb, art::stripHeightPx))
                colour = zone->colour;
        paintRow(cr.get(), row, colour);
    }
    return strip;
}

// Bright green at the top through yellow and orange to red at the bottom: a gain meter's
// reduction hangs from the top and reddens as it deepens; the correlation marker reads green
// when the image is mono-compatible and red when it is out of phase.
ArtBitmap drawInvertedStrip()
{
    struct Stop
    {
        double at;
        ArtColour colour;
    };
    const Stop stops[] = {{0.0, {96, 226, 118}},
                          {0.36, palette::meterYellow},
                          {0.68, palette::meterOrange},
                          {1.0, palette::meterRed}};
    ArtBitmap strip = makeStrip(bitmapId::stripInverted);
    ContextPtr cr = makeContext(strip);
    for (int row = 0; row < art::stripHeightPx; ++row)
    {
        const double at = double(row) / (art::stripHeightPx - 1);
        int stop = 0;
        while (at > stops[stop + 1].at)
            ++stop;
        const double within = (at - stops[stop].at) / (stops[stop + 1].at - stops[stop].at);
        paintRow(cr.get(), row, mixColour(stops[stop].colour, stops[stop + 1].colour, within));
    }
    return strip;
}
} // namespace

std::vector<ArtBitmap> drawMeterStrips()
{
    std::vector<ArtBitmap> strips;
    strips.push_back(drawUnlitStrip());
    for (const ZonedStrip& entry : zonedStrips)
        strips.push_back(drawZonedStrip(entry));
    strips.push_back(drawInvertedStrip());
    return strips;
}
