#include "ArtCanvas.h"

#include <cmath>
#include <fstream>
#include <png.h>
#include <stdexcept>

namespace
{
const char* const fontFamily = "Liberation Sans";

void selectFont(cairo_t* cr, const TextStyle& style)
{
    cairo_select_font_face(cr, fontFamily, CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.sizePx);
}
} // namespace

uint32_t packedPixel(ArtColour colour)
{
    return 0xff000000u | uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 |
           uint32_t(colour.blue);
}

ArtBitmap makeBitmap(int id, int widthPx, int heightPx, int depth)
{
    const cairo_format_t format = depth == 32 ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    return {id, depth, SurfacePtr(cairo_image_surface_create(format, widthPx, heightPx))};
}

ContextPtr makeContext(const ArtBitmap& bitmap)
{
    ContextPtr cr(cairo_create(bitmap.surface.get()));
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
    const double baseline = std::round(centreY + style.sizePx * capHeightPerFontPx / 2.0);
    setColour(cr, style.colour);
    cairo_move_to(cr, std::round(left), baseline);
    cairo_show_text(cr, text.c_str());
}

void fillRect(cairo_t* cr, const PixelRect& rect, ArtColour colour)
{
    setColour(cr, colour);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cr);
}

void strokeRectInside(cairo_t* cr, const PixelRect& rect, ArtColour colour)
{
    setColour(cr, colour);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, rect.left + 0.5, rect.top + 0.5, rect.width() - 1.0, rect.height() - 1.0);
    cairo_stroke(cr);
}

void pathRoundedRect(cairo_t* cr, double left, double top, double width, double height,
                     double radius)
{
    const double right = left + width;
    const double bottom = top + height;
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - radius, top + radius, radius, -pi / 2.0, 0.0);
    cairo_arc(cr, right - radius, bottom - radius, radius, 0.0, pi / 2.0);
    cairo_arc(cr, left + radius, bottom - radius, radius, pi / 2.0, pi);
    cairo_arc(cr, left + radius, top + radius, radius, pi, 1.5 * pi);
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
    fillRect(cr, {left, row, right, row + 1}, colour);
}

void drawVerticalLine(cairo_t* cr, int column, int top, int bottom, ArtColour colour)
{
    fillRect(cr, {column, top, column + 1, bottom}, colour);
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

std::vector<unsigned char> encodePng(const ArtBitmap& bitmap)
{
    cairo_surface_t* surface = bitmap.surface.get();
    cairo_surface_flush(surface);
    const int width = bitmapWidth(bitmap);
    const int height = bitmapHeight(bitmap);
    const int channels = bitmap.depth == 32 ? 4 : 3;
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<unsigned char> pixels;
    pixels.reserve(size_t(width) * height * channels);
    for (int row = 0; row < height; ++row)
    {
        const auto* source = reinterpret_cast<const uint32_t*>(data + row * stride);
        for (int column = 0; column < width; ++column)
        {
            const uint32_t pixel = source[column];
            // Keyed bitmaps are opaque everywhere; a translucent pixel would be a drawing fault
            // (and cairo's premultiplied channels would need undoing).
            if (channels == 4 && pixel >> 24 != 0xff)
                throw std::runtime_error("translucent pixel in bitmap " +
                                         std::to_string(bitmap.id));
            pixels.push_back(pixel >> 16 & 0xff);
            pixels.push_back(pixel >> 8 & 0xff);
            pixels.push_back(pixel & 0xff);
            if (channels == 4)
                pixels.push_back(0xff);
        }
    }
    // libpng writes no time stamp, so equal pixels give equal bytes.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, nullptr))
        throw std::runtime_error("cannot encode bitmap " + std::to_string(bitmap.id));
    std::vector<unsigned char> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr))
        throw std::runtime_error("cannot encode bitmap " + std::to_string(bitmap.id));
    bytes.resize(size);
    return bytes;
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
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
