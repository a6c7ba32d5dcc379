#include "ArtPng.h"

#include <fstream>
#include <png.h>
#include <stdexcept>

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
