#include "ArtFamilies.h"

namespace
{
// The slot runs a little beyond the handle centre's travel (rows 17 to 269 of the track).
constexpr int slotTopPx = 12;
constexpr int slotBottomPx = 274;
constexpr int slotLeftPx = 6;
constexpr int slotRightPx = 9;
// The handle's value mark is its centre row, which the legends beside the faders line up with.
constexpr int handleMarkRowPx = art::faderHandleHeightPx / 2;

ArtBitmap drawTrack(double scale)
{
    ArtBitmap track = makeScaledBitmap(bitmapId::faderTrack, art::faderWidthPx,
                                       art::faderTrackHeightPx, 24, scale);
    ContextPtr cr = makeContext(track);
    fillRect(cr.get(), {0, 0, art::faderWidthPx, art::faderTrackHeightPx}, palette::meterWindow);
    fillRect(cr.get(), {slotLeftPx, slotTopPx, slotRightPx, slotBottomPx}, palette::faderSlot);
    // Bevel: shadow on the upper-left lip, light on the lower-right one.
    drawVerticalLine(cr.get(), slotLeftPx - 1, slotTopPx, slotBottomPx, palette::plateEdgeDark);
    drawHorizontalLine(cr.get(), slotLeftPx, slotRightPx, slotTopPx - 1, palette::plateEdgeDark);
    drawVerticalLine(cr.get(), slotRightPx, slotTopPx, slotBottomPx + 1, palette::plateEdgeLight);
    drawHorizontalLine(cr.get(), slotLeftPx, slotRightPx, slotBottomPx, palette::plateEdgeLight);
    return track;
}

// One pixel dark line with a light one below it, as if cut into the cap.
void engrave(cairo_t* cr, int left, int right, int row, ArtColour dark, ArtColour light)
{
    drawHorizontalLine(cr, left, right, row, dark);
    drawHorizontalLine(cr, left, right, row + 1, light);
}

ArtBitmap drawHandle(double scale)
{
    constexpr int width = art::faderWidthPx;
    ArtBitmap handle =
        makeScaledBitmap(bitmapId::faderHandle, width, art::faderHandleHeightPx, 24, scale);
    ContextPtr cr = makeContext(handle);
    cairo_t* c = cr.get();
    // The cap fills the bitmap's whole device pixels.
    const double capWidth = bitmapWidth(handle) / scale;
    const double height = bitmapHeight(handle) / scale;
    fillRect(c, {0, 0, width, art::faderHandleHeightPx}, palette::meterWindow);

    setColour(c, palette::handleLine);
    fillRoundedRect(c, 0.0, 0.0, capWidth, height, 2.0);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, 1, 0, height - 1);
    addColourStop(body, 0.0, palette::handleLight);
    addColourStop(body, 1.0, palette::handleDark);
    cairo_set_source(c, body);
    fillRoundedRect(c, 1.0, 1.0, capWidth - 2.0, height - 2.0, 1.5);
    cairo_pattern_destroy(body);

    const ArtColour groove = mixColour(palette::handleDark, palette::handleLine, 0.5);
    const ArtColour lip = mixColour(palette::handleLight, palette::caption, 0.5);
    for (int row : {7, 10, 13, 21, 24, 27})
        engrave(c, 3, width - 3, row, groove, lip);
    engrave(c, 1, width - 1, handleMarkRowPx, palette::handleLine, lip);
    return handle;
}
} // namespace

ArtBitmap drawFaderPart(int id, double scale)
{
    if (id == bitmapId::faderTrack)
        return drawTrack(scale);
    if (id == bitmapId::faderHandle)
        return drawHandle(scale);
    return {id, 24, nullptr};
}

std::vector<ArtBitmap> drawFaderParts(double scale)
{
    std::vector<ArtBitmap> parts;
    parts.push_back(drawTrack(scale));
    parts.push_back(drawHandle(scale));
    return parts;
}
