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
const ZonedStrip kZonedStrips[] = {
    {bitmapId::kStripPk,
     {{-3.0, palette::kMeterRed}, {-5.0, palette::kMeterOrange}, {-17.0, palette::kMeterYellow}}},
    {bitmapId::kStripK12,
     {{-7.0, palette::kMeterRed}, {-9.0, palette::kMeterOrange}, {-12.0, palette::kMeterYellow}}},
    {bitmapId::kStripK14,
     {{-8.4, palette::kMeterRed}, {-11.0, palette::kMeterOrange}, {-14.0, palette::kMeterYellow}}},
    {bitmapId::kStripK20,
     {{-13.7, palette::kMeterRed}, {-17.0, palette::kMeterOrange}, {-20.0, palette::kMeterYellow}}},
};

// The outer columns are a touch darker so a bar reads as a lamp, also when a narrow meter shows
// only the strip's left columns. column counts frame pixels.
double columnBrightness(int column)
{
    return column == 0 || column == art::kStripWidthPx - 1 ? 0.82 : 1.0;
}

ArtColour scaled(ArtColour colour, double factor)
{
    return mixColour({0, 0, 0}, colour, factor);
}

// Strips are painted pixel by pixel, one device row at a time.
struct StripCanvas
{
    ArtBitmap bitmap;
    int widthPx;  // device pixels
    int heightPx; // device pixels, one per row of the bar at this scale
};

StripCanvas makeStrip(int id, double scale)
{
    ArtBitmap bitmap = makeScaledBitmap(id, art::kStripWidthPx, art::kStripHeightPx, 24, scale);
    const int width = bitmapWidth(bitmap);
    const int height = bitmapHeight(bitmap);
    return {std::move(bitmap), width, height};
}

void paintRow(StripCanvas& strip, int row, ArtColour colour)
{
    cairo_surface_t* surface = strip.bitmap.surface.get();
    auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface) +
                                               row * cairo_image_surface_get_stride(surface));
    for (int column = 0; column < strip.widthPx; ++column)
    {
        const int frameColumn = int(column / strip.bitmap.scale);
        pixels[column] = packedPixel(scaled(colour, columnBrightness(frameColumn)));
    }
}

void finish(StripCanvas& strip)
{
    cairo_surface_mark_dirty(strip.bitmap.surface.get());
}

ArtBitmap drawUnlitStrip(double scale)
{
    StripCanvas strip = makeStrip(bitmapId::kStripUnlit, scale);
    for (int row = 0; row < strip.heightPx; ++row)
        paintRow(strip, row, palette::kMeterUnlit);
    finish(strip);
    return std::move(strip.bitmap);
}

ArtBitmap drawZonedStrip(const ZonedStrip& entry, double scale)
{
    StripCanvas strip = makeStrip(entry.id, scale);
    const int greenTopRow = stripRowForDb(entry.zonesFromTop.back().fromDb, strip.heightPx);
    for (int row = 0; row < strip.heightPx; ++row)
    {
        // Green deepens toward the floor so the lower part of a bar stays calm.
        const double depth = double(row - greenTopRow) / (strip.heightPx - greenTopRow);
        ArtColour colour =
            mixColour(palette::kMeterGreen, scaled(palette::kMeterGreen, 0.72), depth);
        for (auto zone = entry.zonesFromTop.rbegin(); zone != entry.zonesFromTop.rend(); ++zone)
            if (row < stripRowForDb(zone->fromDb, strip.heightPx))
                colour = zone->colour;
        paintRow(strip, row, colour);
    }
    finish(strip);
    return std::move(strip.bitmap);
}

// Bright green at the top through yellow and orange to red at the bottom: a gain meter's
// reduction hangs from the top and reddens as it deepens; the correlation marker reads green
// when the image is mono-compatible and red when it is out of phase.
ArtBitmap drawInvertedStrip(double scale)
{
    struct Stop
    {
        double at;
        ArtColour colour;
    };
    const Stop stops[] = {{0.0, {96, 226, 118}},
                          {0.36, palette::kMeterYellow},
                          {0.68, palette::kMeterOrange},
                          {1.0, palette::kMeterRed}};
    StripCanvas strip = makeStrip(bitmapId::kStripInverted, scale);
    for (int row = 0; row < strip.heightPx; ++row)
    {
        const double at = double(row) / (strip.heightPx - 1);
        int stop = 0;
        while (at > stops[stop + 1].at)
            ++stop;
        const double within = (at - stops[stop].at) / (stops[stop + 1].at - stops[stop].at);
        paintRow(strip, row, mixColour(stops[stop].colour, stops[stop + 1].colour, within));
    }
    finish(strip);
    return std::move(strip.bitmap);
}
} // namespace

ArtBitmap drawMeterStrip(int id, double scale)
{
    if (id == bitmapId::kStripUnlit)
        return drawUnlitStrip(scale);
    if (id == bitmapId::kStripInverted)
        return drawInvertedStrip(scale);
    for (const ZonedStrip& entry : kZonedStrips)
        if (entry.id == id)
            return drawZonedStrip(entry, scale);
    return {id, 24, nullptr};
}

std::vector<ArtBitmap> drawMeterStrips(double scale)
{
    std::vector<ArtBitmap> strips;
    strips.push_back(drawUnlitStrip(scale));
    for (const ZonedStrip& entry : kZonedStrips)
        strips.push_back(drawZonedStrip(entry, scale));
    strips.push_back(drawInvertedStrip(scale));
    return strips;
}
