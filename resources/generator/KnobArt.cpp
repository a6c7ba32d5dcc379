#include "ArtFamilies.h"

#include <cmath>

namespace
{
struct KnobEntry
{
    int id;
    int sizePx;
    bool bipolar;
};

const KnobEntry kKnobEntries[] = {
    {bitmapId::kNobSmall, art::kSmallKnobPx, false},
    {bitmapId::kNobSmallBipolar, art::kSmallKnobPx, true},
    {bitmapId::kNobLarge, art::kLargeKnobPx, false},
    {bitmapId::kNobLargeBipolar, art::kLargeKnobPx, true},
};

// Sizes of the parts in frame pixels, for a knob of the given frame size; a scaled knob's
// frame holds a whole number of device pixels, so its size in frame pixels may be fractional.
struct KnobShape
{
    double centre;
    double ringRadius;
    double ringWidth;
    double capRadius;
    double pointerWidth;
};

KnobShape shapeFor(double sizePx, bool large)
{
    const double half = sizePx / 2.0;
    return {half, half - 4.0, large ? 4.5 : 3.5, large ? 22.0 : 14.5, large ? 2.6 : 2.0};
}

void strokeArc(cairo_t* cr, const KnobShape& shape, double fromDegrees, double toDegrees)
{
    cairo_new_path(cr);
    cairo_arc(cr, shape.centre, shape.centre, shape.ringRadius, cairoAngle(fromDegrees),
              cairoAngle(toDegrees));
    cairo_stroke(cr);
}

void drawRing(cairo_t* cr, const KnobShape& shape, bool bipolar, double value)
{
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, shape.ringWidth);
    setColour(cr, palette::kNobGroove);
    strokeArc(cr, shape, art::kNobMinimumDegrees, art::kNobMinimumDegrees + art::kNobSweepDegrees);

    const double pointerDegrees = art::kNobMinimumDegrees + art::kNobSweepDegrees * value;
    const double startDegrees = bipolar ? 0.0 : art::kNobMinimumDegrees;
    const double fromDegrees = std::min(startDegrees, pointerDegrees);
    const double toDegrees = std::max(startDegrees, pointerDegrees);
    if (bipolar)
    {
        // The centre detent stays visible at every value.
        cairo_set_line_width(cr, shape.ringWidth);
        setColour(cr, palette::kTick);
        strokeArc(cr, shape, -1.5, 1.5);
    }
    if (toDegrees - fromDegrees <= 0.0)
        return;
    // A faint halo under the arc, then the arc itself.
    const ArtColour halo = mixColour(palette::kNobGroove, palette::kNobArc, 0.35);
    cairo_set_line_width(cr, shape.ringWidth + 1.5);
    setColour(cr, halo);
    strokeArc(cr, shape, fromDegrees, toDegrees);
    cairo_set_line_width(cr, shape.ringWidth - 0.5);
    setColour(cr, palette::kNobArc);
    strokeArc(cr, shape, fromDegrees, toDegrees);
}

void drawCap(cairo_t* cr, const KnobShape& shape, double value)
{
    const double c = shape.centre;
    const double r = shape.capRadius;

    // Drop shadow toward the lower right: the light comes from the upper left.
    cairo_arc(cr, c + 0.6, c + 1.4, r + 1.6, 0.0, 2.0 * kPi);
    setColour(cr, palette::kNobRim);
    cairo_fill(cr);

    cairo_pattern_t* skirt = cairo_pattern_create_linear(c - r, c - r, c + r, c + r);
    const ArtColour light = palette::kNobCapLight;
    const ArtColour dark = palette::kNobCapDark;
    addColourStop(skirt, 0.0, light);
    addColourStop(skirt, 1.0, dark);
    cairo_arc(cr, c, c, r, 0.0, 2.0 * kPi);
    cairo_set_source(cr, skirt);
    cairo_fill(cr);
    cairo_pattern_destroy(skirt);

    // A slightly recessed top face inside the skirt, lit the other way round: reads as turned
    // metal without shouting.
    const double faceRadius = r - 2.5;
    const ArtColour faceLight = mixColour(light, dark, 0.35);
    const ArtColour faceDark = mixColour(light, dark, 0.8);
    cairo_pattern_t* face = cairo_pattern_create_linear(c, c - faceRadius, c, c + faceRadius);
    addColourStop(face, 0.0, faceDark);
    addColourStop(face, 1.0, faceLight);
    cairo_arc(cr, c, c, faceRadius, 0.0, 2.0 * kPi);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);

    const double angle = cairoAngle(art::kNobMinimumDegrees + art::kNobSweepDegrees * value);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, shape.pointerWidth);
    setColour(cr, palette::kNobPointer);
    cairo_move_to(cr, c + std::cos(angle) * r * 0.35, c + std::sin(angle) * r * 0.35);
    cairo_line_to(cr, c + std::cos(angle) * (r - 2.0), c + std::sin(angle) * (r - 2.0));
    cairo_stroke(cr);
}

// Every pixel the knob does not touch at all becomes the key colour, so the panel shows there;
// edge pixels keep the plate colour they were blended with, which is what lies behind them.
void keyCorners(cairo_surface_t* frame, const KnobShape& shape, double scale)
{
    const double outerRadius = (shape.ringRadius + (shape.ringWidth + 1.5) / 2.0) * scale;
    const double keyBeyond = outerRadius + 0.75; // device pixels
    const double centre = shape.centre * scale;
    const uint32_t key = packedPixel(palette::kNobKey);
    cairo_surface_flush(frame);
    const int size = cairo_image_surface_get_width(frame);
    const int stride = cairo_image_surface_get_stride(frame);
    unsigned char* data = cairo_image_surface_get_data(frame);
    for (int row = 0; row < size; ++row)
    {
        auto* pixels = reinterpret_cast<uint32_t*>(data + row * stride);
        for (int column = 0; column < size; ++column)
        {
            const double dx = column + 0.5 - centre;
            const double dy = row + 0.5 - centre;
            if (std::sqrt(dx * dx + dy * dy) > keyBeyond)
                pixels[column] = key;
        }
    }
    cairo_surface_mark_dirty(frame);
}

void drawFrame(const KnobEntry& entry, double scale, int frameIndex, cairo_surface_t* strip)
{
    const int framePx = scaledPx(entry.sizePx, scale); // device pixels
    const KnobShape shape = shapeFor(framePx / scale, entry.sizePx >= art::kLargeKnobPx);
    const double value = double(frameIndex) / (art::kNobFrameCount - 1);
    ArtBitmap frame = makeBitmap(entry.id, framePx, framePx, 32, scale);
    ContextPtr cr = makeContext(frame);
    fillRect(cr.get(), {0, 0, entry.sizePx, entry.sizePx}, palette::kPlate);
    drawRing(cr.get(), shape, entry.bipolar, value);
    drawCap(cr.get(), shape, value);
    cr.reset();
    keyCorners(frame.surface.get(), shape, scale);
    blit(strip, 0, frameIndex * framePx, frame.surface.get(), 0, 0, framePx, framePx);
}

ArtBitmap drawFilmstrip(const KnobEntry& entry, double scale)
{
    const int framePx = scaledPx(entry.sizePx, scale); // device pixels
    ArtBitmap strip = makeBitmap(entry.id, framePx, framePx * art::kNobFrameCount, 32, scale);
    for (int frameIndex = 0; frameIndex < art::kNobFrameCount; ++frameIndex)
        drawFrame(entry, scale, frameIndex, strip.surface.get());
    return strip;
}
} // namespace

void drawKnobFrame(int id, double scale, int frame, cairo_surface_t* strip)
{
    for (const KnobEntry& entry : kKnobEntries)
        if (entry.id == id)
            drawFrame(entry, scale, frame, strip);
}

ArtBitmap drawKnobFilmstrip(int id, double scale)
{
    for (const KnobEntry& entry : kKnobEntries)
        if (entry.id == id)
            return drawFilmstrip(entry, scale);
    return {id, 32, nullptr};
}

std::vector<ArtBitmap> drawKnobFilmstrips(double scale)
{
    std::vector<ArtBitmap> filmstrips;
    for (const KnobEntry& entry : kKnobEntries)
        filmstrips.push_back(drawFilmstrip(entry, scale));
    return filmstrips;
}
