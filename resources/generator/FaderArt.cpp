#include "ArtFamilies.h"

namespace
{
// The slot runs a little beyond the handle centre's travel (rows 17 to 269 of the track).
constexpr int kSlotTopPx = 12;
constexpr int kSlotBottomPx = 274;
constexpr int kSlotLeftPx = 6;
constexpr int kSlotRightPx = 9;
// The handle's value mark is its centre row, which the legends beside the faders line up with.
constexpr int kHandleMarkRowPx = art::kFaderHandleHeightPx / 2;

ArtBitmap drawTrack(double scale)
{
    ArtBitmap track = makeScaledBitmap(bitmapId::kFaderTrack, art::kFaderWidthPx,
                                       art::kFaderTrackHeightPx, 24, scale);
    ContextPtr cr = makeContext(track);
    fillRect(cr.get(), {0, 0, art::kFaderWidthPx, art::kFaderTrackHeightPx}, palette::kMeterWindow);
    fillRect(cr.get(), {kSlotLeftPx, kSlotTopPx, kSlotRightPx, kSlotBottomPx}, palette::kFaderSlot);
    // Bevel: shadow on the upper-left lip, light on the lower-right one.
    drawVerticalLine(cr.get(), kSlotLeftPx - 1, kSlotTopPx, kSlotBottomPx, palette::kPlateEdgeDark);
    drawHorizontalLine(cr.get(), kSlotLeftPx, kSlotRightPx, kSlotTopPx - 1,
                       palette::kPlateEdgeDark);
    drawVerticalLine(cr.get(), kSlotRightPx, kSlotTopPx, kSlotBottomPx + 1,
                     palette::kPlateEdgeLight);
    drawHorizontalLine(cr.get(), kSlotLeftPx, kSlotRightPx, kSlotBottomPx,
                       palette::kPlateEdgeLight);
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
    constexpr int width = art::kFaderWidthPx;
    ArtBitmap handle =
        makeScaledBitmap(bitmapId::kFaderHandle, width, art::kFaderHandleHeightPx, 24, scale);
    ContextPtr cr = makeContext(handle);
    cairo_t* c = cr.get();
    // The cap fills the bitmap's whole device pixels.
    const double capWidth = bitmapWidth(handle) / scale;
    const double height = bitmapHeight(handle) / scale;
    fillRect(c, {0, 0, width, art::kFaderHandleHeightPx}, palette::kMeterWindow);

    setColour(c, palette::kHandleLine);
    fillRoundedRect(c, 0.0, 0.0, capWidth, height, 2.0);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, 1, 0, height - 1);
    addColourStop(body, 0.0, palette::kHandleLight);
    addColourStop(body, 1.0, palette::kHandleDark);
    cairo_set_source(c, body);
    fillRoundedRect(c, 1.0, 1.0, capWidth - 2.0, height - 2.0, 1.5);
    cairo_pattern_destroy(body);

    const ArtColour groove = mixColour(palette::kHandleDark, palette::kHandleLine, 0.5);
    const ArtColour lip = mixColour(palette::kHandleLight, palette::kCaption, 0.5);
    for (int row : {7, 10, 13, 21, 24, 27})
        engrave(c, 3, width - 3, row, groove, lip);
    engrave(c, 1, width - 1, kHandleMarkRowPx, palette::kHandleLine, lip);
    return handle;
}
} // namespace

ArtBitmap drawFaderPart(int id, double scale)
{
    if (id == bitmapId::kFaderTrack)
        return drawTrack(scale);
    if (id == bitmapId::kFaderHandle)
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
