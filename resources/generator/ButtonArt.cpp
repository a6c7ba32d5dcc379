#include "ArtFamilies.h"

namespace
{
struct ButtonEntry
{
    int id;
    int widthPx;
    int frameHeightPx;
    double lampRadiusPx;
};

const ButtonEntry buttonSpecs[] = {
    {bitmapId::buttonLarge, art::largeButtonPx, art::largeButtonPx, 5.5},
    {bitmapId::buttonSmall, art::smallButtonWidthPx, art::smallButtonHeightPx, 3.5},
};

void drawFace(cairo_t* cr, const ButtonEntry& entry, int top)
{
    const double radius = 3.0;
    setColour(cr, palette::knobRim);
    fillRoundedRect(cr, 0.0, top, entry.widthPx, entry.frameHeightPx, radius);

    cairo_pattern_t* face = cairo_pattern_create_linear(0, top, 0, top + entry.frameHeightPx);
    addColourStop(face, 0.0, palette::buttonFaceLight);
    addColourStop(face, 1.0, palette::buttonFaceDark);
    cairo_set_source(cr, face);
    fillRoundedRect(cr, 1.0, top + 1.0, entry.widthPx - 2.0, entry.frameHeightPx - 2.0,
                    radius - 1.0);
    cairo_pattern_destroy(face);

    // A one-pixel highlight along the top edge.
    setColour(cr, mixColour(palette::buttonFaceLight, palette::caption, 0.25));
    cairo_rectangle(cr, 2.0, top + 1.0, entry.widthPx - 4.0, 1.0);
    cairo_fill(cr);
}

void drawLamp(cairo_t* cr, const ButtonEntry& entry, int top, bool lit)
{
    const double x = entry.widthPx / 2.0;
    const double y = top + entry.frameHeightPx / 2.0;
    const double r = entry.lampRadiusPx;
    if (lit)
    {
        cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, r, x, y, r * 2.4);
        addColourStop(glow, 0.0, palette::lampLit, 0.45);
        addColourStop(glow, 1.0, palette::lampLit, 0.0);
        cairo_set_source(cr, glow);
        cairo_arc(cr, x, y, r * 2.4, 0.0, 2.0 * pi);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    // Bezel, then the lens with its hot spot toward the upper left.
    cairo_arc(cr, x, y, r + 1.0, 0.0, 2.0 * pi);
    setColour(cr, palette::knobRim);
    cairo_fill(cr);
    const ArtColour lens = lit ? palette::lampLit : palette::lampDark;
    const ArtColour hotSpot = lit ? mixColour(palette::lampLit, palette::caption, 0.6)
                                  : mixColour(palette::lampDark, palette::buttonFaceLight, 0.6);
    cairo_pattern_t* lensPattern =
        cairo_pattern_create_radial(x - r * 0.35, y - r * 0.35, 0.0, x, y, r);
    addColourStop(lensPattern, 0.0, hotSpot);
    addColourStop(lensPattern, 1.0, lit ? lens : mixColour(lens, palette::knobRim, 0.4));
    cairo_set_source(cr, lensPattern);
    cairo_arc(cr, x, y, r, 0.0, 2.0 * pi);
    cairo_fill(cr);
    cairo_pattern_destroy(lensPattern);
}

// Frame 0 unlit, frame 1 lit, one above the other.
ArtBitmap drawButton(const ButtonEntry& entry)
{
    ArtBitmap button =
        makeBitmap(entry.id, entry.widthPx, entry.frameHeightPx * art::buttonFrameCount, 24);
    ContextPtr cr = makeContext(button);
    fillRect(cr.get(), {0, 0, entry.widthPx, entry.frameHeightPx * art::buttonFrameCount},
             palette::plate);
    for (int frameIndex = 0; frameIndex < art::buttonFrameCount; ++frameIndex)
    {
        const int top = frameIndex * entry.frameHeightPx;
        cairo_save(cr.get());
        cairo_rectangle(cr.get(), 0, top, entry.widthPx, entry.frameHeightPx);
        cairo_clip(cr.get());
        drawFace(cr.get(), entry, top);
        drawLamp(cr.get(), entry, top, frameIndex == 1);
        cairo_restore(cr.get());
    }
    return button;
}
} // namespace

std::vector<ArtBitmap> drawButtons()
{
    std::vector<ArtBitmap> buttons;
    for (const ButtonEntry& entry : buttonSpecs)
        buttons.push_back(drawButton(entry));
    return buttons;
}
