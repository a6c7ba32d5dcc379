#pragma once

#include "toolkit/BitmapResource.h"

#include <cairo.h>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>

struct Rgba
{
    int red;
    int green;
    int blue;
    int alpha;
};

// An embedded bitmap decoded the way the toolkit decodes it.
class DecodedBitmap
{
  public:
    explicit DecodedBitmap(int id) : resource(findBitmapResource(id))
    {
        if (!resource)
            return;
        PngReader reader{resource->png, resource->pngSize};
        surface.reset(cairo_image_surface_create_from_png_stream(readPng, &reader));
    }

    bool decoded() const
    {
        return surface && cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS;
    }
    const BitmapResource& info() const { return *resource; }
    int width() const { return cairo_image_surface_get_width(surface.get()); }
    int height() const { return cairo_image_surface_get_height(surface.get()); }
    bool hasAlphaChannel() const
    {
        return cairo_image_surface_get_format(surface.get()) == CAIRO_FORMAT_ARGB32;
    }

    Rgba pixel(int x, int y) const
    {
        const unsigned char* row = cairo_image_surface_get_data(surface.get()) +
                                   y * cairo_image_surface_get_stride(surface.get());
        const uint32_t value = reinterpret_cast<const uint32_t*>(row)[x];
        const int alpha = hasAlphaChannel() ? int(value >> 24) : 255;
        return {int(value >> 16 & 0xff), int(value >> 8 & 0xff), int(value & 0xff), alpha};
    }

  private:
    struct PngReader
    {
        const unsigned char* data;
        unsigned long remaining;
    };

    static cairo_status_t readPng(void* closure, unsigned char* data, unsigned int length)
    {
        auto* reader = static_cast<PngReader*>(closure);
        if (length > reader->remaining)
            return CAIRO_STATUS_READ_ERROR;
        std::copy(reader->data, reader->data + length, data);
        reader->data += length;
        reader->remaining -= length;
        return CAIRO_STATUS_SUCCESS;
    }

    struct SurfaceRelease
    {
        void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
    };

    const BitmapResource* resource;
    std::unique_ptr<cairo_surface_t, SurfaceRelease> surface;
};

inline bool sameColour(Rgba a, Rgba b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

inline bool isCyan(Rgba c)
{
    return c.red < 120 && c.green > 150 && c.blue > 180;
}
