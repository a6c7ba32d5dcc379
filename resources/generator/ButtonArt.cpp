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

const ButtonEntry kButtonEntries[] = {
    {bitmapId::kButtonLarge, art::kLargeButtonPx, art::kLargeButtonPx, 5.5},
    {bitmapId::kButtonSmall, art::kSmallButtonWidthPx, art::kSmallButtonHeightPx, 3.5},
};

// A frame's size in frame pixels: a whole number of device pixels at the bitmap's scale.
struct FrameSize
{
    double width;
    double height;
};

void drawFace(cairo_t* cr, const FrameSize& frame)
{
    const double radius = 3.0;
    setColour(cr, palette::kNobRim);
    fillRoundedRect(cr, 0.0, 0.0, frame.width, frame.height, radius);

    cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, frame.height);
    addColourStop(face, 0.0, palette::kButtonFaceLight);
    addColourStop(face, 1.0, palette::kButtonFaceDark);
    cairo_set_source(cr, face);
    fillRoundedRect(cr, 1.0, 1.0, frame.width - 2.0, frame.height - 2.0, radius - 1.0);
    cairo_pattern_destroy(face);

    // A highlight one device pixel high along the top edge.
    setColour(cr, mixColour(palette::kButtonFaceLight, palette::kCaption, 0.25));
    cairo_rectangle(cr, 2.0, 1.0, frame.width - 4.0, 1.0 / deviceScale(cr));
    cairo_fill(cr);
}

void drawLamp(cairo_t* cr, const ButtonEntry& entry, const FrameSize& frame, bool lit)
{
    const double x = frame.width / 2.0;
    const double y = frame.height / 2.0;
    const double r = entry.lampRadiusPx;
    if (lit)
    {
        cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, r, x, y, r * 2.4);
        addColourStop(glow, 0.0, palette::kLampLit, 0.45);
        addColourStop(glow, 1.0, palette::kLampLit, 0.0);
        cairo_set_source(cr, glow);
        cairo_arc(cr, x, y, r * 2.4, 0.0, 2.0 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    // Bezel, then the lens with its hot spot toward the upper left.
    cairo_arc(cr, x, y, r + 1.0, 0.0, 2.0 * kPi);
    setColour(cr, palette::kNobRim);
    cairo_fill(cr);
    const ArtColour lens = lit ? palette::kLampLit : palette::kLampDark;
    const ArtColour hotSpot = lit ? mixColour(palette::kLampLit, palette::kCaption, 0.6)
                                  : mixColour(palette::kLampDark, palette::kButtonFaceLight, 0.6);
    cairo_pattern_t* lensPattern =
        cairo_pattern_create_radial(x - r * 0.35, y - r * 0.35, 0.0, x, y, r);
    addColourStop(lensPattern, 0.0, hotSpot);
    addColourStop(lensPattern, 1.0, lit ? lens : mixColour(lens, palette::kNobRim, 0.4));
    cairo_set_source(cr, lensPattern);
    cairo_arc(cr, x, y, r, 0.0, 2.0 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(lensPattern);
}

// Frame 0 unlit, frame 1 lit, one above the other.
ArtBitmap drawButtonFrames(const ButtonEntry& entry, double scale)
{
    const int widthPx = scaledPx(entry.widthPx, scale);             // device pixels
    const int frameHeightPx = scaledPx(entry.frameHeightPx, scale); // device pixels
    ArtBitmap button =
        makeBitmap(entry.id, widthPx, frameHeightPx * art::kButtonFrameCount, 24, scale);
    ContextPtr cr = makeContext(button);
    fillRect(cr.get(), {0, 0, entry.widthPx, entry.frameHeightPx * art::kButtonFrameCount},
             palette::kPlate);
    const FrameSize frame{widthPx / scale, frameHeightPx / scale};
    for (int frameIndex = 0; frameIndex < art::kButtonFrameCount; ++frameIndex)
    {
        cairo_save(cr.get());
        // Each frame starts on a whole device row.
        cairo_identity_matrix(cr.get());
        cairo_translate(cr.get(), 0, frameIndex * frameHeightPx);
        cairo_scale(cr.get(), scale, scale);
        cairo_rectangle(cr.get(), 0, 0, frame.width, frame.height);
        cairo_clip(cr.get());
        drawFace(cr.get(), frame);
        drawLamp(cr.get(), entry, frame, frameIndex == 1);
        cairo_restore(cr.get());
    }
    return button;
}
} // namespace

ArtBitmap drawButton(int id, double scale)
{
    for (const ButtonEntry& entry : kButtonEntries)
        if (entry.id == id)
            return drawButtonFrames(entry, scale);
    return {id, 24, nullptr};
}

std::vector<ArtBitmap> drawButtons(double scale)
{
    std::vector<ArtBitmap> buttons;
    for (const ButtonEntry& entry : kButtonEntries)
        buttons.push_back(drawButtonFrames(entry, scale));
    return buttons;
}
