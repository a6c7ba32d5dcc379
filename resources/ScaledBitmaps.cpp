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

const ArtSize artSizes[] = {
    {bitmapId::panel, bitmapId::panel, art::panelWidthPx, art::panelHeightPx, 1, 24},
    {bitmapId::faderTrack, bitmapId::faderTrack, art::faderWidthPx, art::faderTrackHeightPx, 1, 24},
    {bitmapId::faderHandle, bitmapId::faderHandle, art::faderWidthPx, art::faderHandleHeightPx, 1,
     24},
    {bitmapId::stripUnlit, bitmapId::stripK20, art::stripWidthPx, art::stripHeightPx, 1, 24},
    {bitmapId::legendPk, bitmapId::legendK20, art::legendWidthPx, art::legendHeightPx, 1, 24},
    {bitmapId::stripInverted, bitmapId::stripInverted, art::stripWidthPx, art::stripHeightPx, 1,
     24},
    {bitmapId::knobSmall, bitmapId::knobSmallBipolar, art::smallKnobPx, art::smallKnobPx,
     art::knobFrameCount, 32},
    {bitmapId::knobLarge, bitmapId::knobLargeBipolar, art::largeKnobPx, art::largeKnobPx,
     art::knobFrameCount, 32},
    // Two frames, but drawn together: a button is cheap.
    {bitmapId::buttonLarge, bitmapId::buttonLarge, art::largeButtonPx,
     art::largeButtonPx* art::buttonFrameCount, 1, 24},
    {bitmapId::buttonSmall, bitmapId::buttonSmall, art::smallButtonWidthPx,
     art::smallButtonHeightPx* art::buttonFrameCount, 1, 24},
    {bitmapId::displayStrip, bitmapId::displayStrip, art::displayStripWidthPx,
     art::displayStripHeightPx, 1, 24},
};

const ArtSize* sizeOf(int id)
{
    for (const ArtSize& size : artSizes)
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
    if (id == bitmapId::buttonLarge || id == bitmapId::buttonSmall)
        frameHeight =
            scaledPx(size->frameHeightPx / art::buttonFrameCount, scale) * art::buttonFrameCount;
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
