// The editor's bitmaps at screen scales above 1 are drawn when an editor first shows them, by
// the same drawing code that made the embedded ones, rather than carried in the library for
// every scale; a knob's filmstrip frame by frame, as the knob turns to it.
#include "resources/generator/ArtFamilies.h"
#include "toolkit/BitmapResource.h"

namespace
{
struct ArtSize
{
    int firstId;
    int lastId;
    int widthPx;       // frame pixels
    int frameHeightPx; // frame pixels
    int frameCount;
    int depth;
};

const ArtSize kArtSizes[] = {
    {bitmapId::kPanel, bitmapId::kPanel, art::kPanelWidthPx, art::kPanelHeightPx, 1, 24},
    {bitmapId::kFaderTrack, bitmapId::kFaderTrack, art::kFaderWidthPx, art::kFaderTrackHeightPx, 1,
     24},
    {bitmapId::kFaderHandle, bitmapId::kFaderHandle, art::kFaderWidthPx, art::kFaderHandleHeightPx,
     1, 24},
    {bitmapId::kStripUnlit, bitmapId::kStripK20, art::kStripWidthPx, art::kStripHeightPx, 1, 24},
    {bitmapId::kLegendPk, bitmapId::kLegendK20, art::kLegendWidthPx, art::kLegendHeightPx, 1, 24},
    {bitmapId::kStripInverted, bitmapId::kStripInverted, art::kStripWidthPx, art::kStripHeightPx, 1,
     24},
    {bitmapId::kNobSmall, bitmapId::kNobSmallBipolar, art::kSmallKnobPx, art::kSmallKnobPx,
     art::kNobFrameCount, 32},
    {bitmapId::kNobLarge, bitmapId::kNobLargeBipolar, art::kLargeKnobPx, art::kLargeKnobPx,
     art::kNobFrameCount, 32},
    // Two frames, but drawn together: a button is cheap.
    {bitmapId::kButtonLarge, bitmapId::kButtonLarge, art::kLargeButtonPx,
     art::kLargeButtonPx* art::kButtonFrameCount, 1, 24},
    {bitmapId::kButtonSmall, bitmapId::kButtonSmall, art::kSmallButtonWidthPx,
     art::kSmallButtonHeightPx* art::kButtonFrameCount, 1, 24},
    {bitmapId::kDisplayStrip, bitmapId::kDisplayStrip, art::kDisplayStripWidthPx,
     art::kDisplayStripHeightPx, 1, 24},
};

const ArtSize* sizeOf(int id)
{
    for (const ArtSize& size : kArtSizes)
        if (id >= size.firstId && id <= size.lastId)
            return &size;
    return nullptr;
}
} // namespace

bool scaledBitmapLayout(int id, double scale, ScaledBitmapLayout& layout)
{
    const ArtSize* size = sizeOf(id);
    if (!size)
        return false;
    // The drawing functions round each frame, then stack the frames.
    int frameHeight = scaledPx(size->frameHeightPx, scale);
    if (id == bitmapId::kButtonLarge || id == bitmapId::kButtonSmall)
        frameHeight =
            scaledPx(size->frameHeightPx / art::kButtonFrameCount, scale) * art::kButtonFrameCount;
    layout = {scaledPx(size->widthPx, scale), frameHeight * size->frameCount, size->depth,
              size->frameCount};
    return true;
}

void drawScaledBitmapFrame(int id, double scale, int frame, cairo_surface_t* target)
{
    const ArtSize* size = sizeOf(id);
    if (!size)
        return;
    if (size->frameCount > 1)
    {
        drawKnobFrame(id, scale, frame, target);
        return;
    }
    ArtBitmap bitmap = drawArtBitmap(id, scale);
    if (!bitmap.surface)
        return;
    if (bitmap.depth == 24)
        avoidDefaultKeyColour(bitmap);
    blit(target, 0, 0, bitmap.surface.get(), 0, 0, bitmapWidth(bitmap), bitmapHeight(bitmap));
}
