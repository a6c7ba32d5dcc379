#include "ArtCanvas.h"

#include <cmath>

namespace
{
const char* const kFontFamily = "Liberation Sans";

void selectFont(cairo_t* cr, const TextStyle& style)
{
    cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.sizePx);
}
} // namespace

uint32_t packedPixel(ArtColour colour)
{
    return 0xff000000u | uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 |
           uint32_t(colour.blue);
}

ArtBitmap makeBitmap(int id, int widthPx, int heightPx, int depth, double scale)
{
    const cairo_format_t format = depth == 32 ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    return {id, depth, SurfacePtr(cairo_image_surface_create(format, widthPx, heightPx)), scale};
}

int scaledPx(double framePx, double scale)
{
    return int(std::lround(framePx * scale));
}

ArtBitmap makeScaledBitmap(int id, int widthPx, int heightPx, int depth, double scale)
{
    return makeBitmap(id, scaledPx(widthPx, scale), scaledPx(heightPx, scale), depth, scale);
}

double deviceScale(cairo_t* cr)
{
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    return matrix.xx;
}

ContextPtr makeContext(const ArtBitmap& bitmap)
{
    ContextPtr cr(cairo_create(bitmap.surface.get()));
    cairo_scale(cr.get(), bitmap.scale, bitmap.scale);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr.get(), options);
    cairo_font_options_destroy(options);
    return cr;
}

int bitmapWidth(const ArtBitmap& bitmap)
{
    return cairo_image_surface_get_width(bitmap.surface.get());
}

int bitmapHeight(const ArtBitmap& bitmap)
{
    return cairo_image_surface_get_height(bitmap.surface.get());
}

double textWidth(cairo_t* cr, const std::string& text, const TextStyle& style)
{
    selectFont(cr, style);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

void drawText(cairo_t* cr, const std::string& text, double x, double centreY, TextAlign align,
              const TextStyle& style)
{
    const double width = textWidth(cr, text, style);
    double left = x;
    if (align == TextAlign::centre)
        left = x - width / 2.0;
    else if (align == TextAlign::right)
        left = x - width;
    // The pen starts on a whole device pixel, so glyphs land on the same grid at every scale.
    double penX = left;
    double baseline = centreY + style.sizePx * kCapHeightPerFontPx / 2.0;
    cairo_user_to_device(cr, &penX, &baseline);
    penX = std::round(penX);
    baseline = std::round(baseline);
    cairo_device_to_user(cr, &penX, &baseline);
    setColour(cr, style.colour);
    cairo_move_to(cr, penX, baseline);
    cairo_show_text(cr, text.c_str());
}

namespace
{
// The device pixels a rectangle of frame pixels covers, edges rounded.
struct DeviceRect
{
    double left;
    double top;
    double right;
    double bottom;
};

DeviceRect deviceRect(cairo_t* cr, double left, double top, double right, double bottom)
{
    cairo_user_to_device(cr, &left, &top);
    cairo_user_to_device(cr, &right, &bottom);
    return {std::round(left), std::round(top), std::round(right), std::round(bottom)};
}

// Fills rect, given in device pixels, with the current source.
void fillDevice(cairo_t* cr, const DeviceRect& rect)
{
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    cairo_fill(cr);
    cairo_restore(cr);
}
} // namespace

void fillRect(cairo_t* cr, const PixelRect& rect, ArtColour colour)
{
    setColour(cr, colour);
    fillDevice(cr, deviceRect(cr, rect.left, rect.top, rect.right, rect.bottom));
}

void strokeRectInside(cairo_t* cr, const PixelRect& rect, ArtColour colour)
{
    const DeviceRect outer = deviceRect(cr, rect.left, rect.top, rect.right, rect.bottom);
    setColour(cr, colour);
    fillDevice(cr, {outer.left, outer.top, outer.right, outer.top + 1.0});
    fillDevice(cr, {outer.left, outer.bottom - 1.0, outer.right, outer.bottom});
    fillDevice(cr, {outer.left, outer.top + 1.0, outer.left + 1.0, outer.bottom - 1.0});
    fillDevice(cr, {outer.right - 1.0, outer.top + 1.0, outer.right, outer.bottom - 1.0});
}

void pathRoundedRect(cairo_t* cr, double left, double top, double width, double height,
                     double radius)
{
    const double right = left + width;
    const double bottom = top + height;
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - radius, top + radius, radius, -kPi / 2.0, 0.0);
    cairo_arc(cr, right - radius, bottom - radius, radius, 0.0, kPi / 2.0);
    cairo_arc(cr, left + radius, bottom - radius, radius, kPi / 2.0, kPi);
    cairo_arc(cr, left + radius, top + radius, radius, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

void fillRoundedRect(cairo_t* cr, double left, double top, double width, double height,
                     double radius)
{
    pathRoundedRect(cr, left, top, width, height, radius);
    cairo_fill(cr);
}

void drawHorizontalLine(cairo_t* cr, int left, int right, int row, ArtColour colour)
{
    const DeviceRect line = deviceRect(cr, left, row, right, row);
    setColour(cr, colour);
    fillDevice(cr, {line.left, line.top, line.right, line.top + 1.0});
}

void drawVerticalLine(cairo_t* cr, int column, int top, int bottom, ArtColour colour)
{
    const DeviceRect line = deviceRect(cr, column, top, column, bottom);
    setColour(cr, colour);
    fillDevice(cr, {line.left, line.top, line.left + 1.0, line.bottom});
}

void blit(cairo_surface_t* target, int targetX, int targetY, cairo_surface_t* source, int sourceX,
          int sourceY, int widthPx, int heightPx, const ArtColour* keyColour)
{
    cairo_surface_flush(target);
    cairo_surface_flush(source);
    const int targetStride = cairo_image_surface_get_stride(target);
    const int sourceStride = cairo_image_surface_get_stride(source);
    unsigned char* targetData = cairo_image_surface_get_data(target);
    const unsigned char* sourceData = cairo_image_surface_get_data(source);
    const uint32_t key = keyColour ? packedPixel(*keyColour) : 0;
    for (int row = 0; row < heightPx; ++row)
    {
        auto* to =
            reinterpret_cast<uint32_t*>(targetData + (targetY + row) * targetStride) + targetX;
        auto* from =
            reinterpret_cast<const uint32_t*>(sourceData + (sourceY + row) * sourceStride) +
            sourceX;
        for (int column = 0; column < widthPx; ++column)
        {
            const uint32_t pixel = from[column] | 0xff000000u;
            if (!keyColour || pixel != key)
                to[column] = pixel;
        }
    }
    cairo_surface_mark_dirty(target);
}

void avoidDefaultKeyColour(ArtBitmap& bitmap)
{
    cairo_surface_t* surface = bitmap.surface.get();
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const uint32_t white = packedPixel({255, 255, 255});
    const uint32_t nearWhite = packedPixel({254, 254, 254});
    for (int row = 0; row < bitmapHeight(bitmap); ++row)
    {
        auto* pixels = reinterpret_cast<uint32_t*>(data + row * stride);
        for (int column = 0; column < bitmapWidth(bitmap); ++column)
            if ((pixels[column] | 0xff000000u) == white)
                pixels[column] = nearWhite;
    }
    cairo_surface_mark_dirty(surface);
}
