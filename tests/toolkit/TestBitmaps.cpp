#include "TestBitmaps.h"

#include "toolkit/BitmapResource.h"

#include <cairo.h>
#include <functional>
#include <map>
#include <vector>

namespace
{
void setColor(cairo_t* cr, const CColor& color)
{
    cairo_set_source_rgb(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
}

void fill(cairo_t* cr, double x, double y, double w, double h, const CColor& color)
{
    setColor(cr, color);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

cairo_status_t appendPng(void* closure, const unsigned char* data, unsigned int length)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

std::vector<unsigned char> paintPng(int width, int height, bool alpha,
                                    const std::function<void(cairo_t*)>& paint)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    paint(cr);
    cairo_destroy(cr);
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(surface, appendPng, &png);
    cairo_surface_destroy(surface);
    return png;
}

struct StoredBitmap
{
    std::vector<unsigned char> png;
    BitmapResource resource;
};

std::map<int, StoredBitmap> makeBitmaps()
{
    std::map<int, StoredBitmap> bitmaps;
    auto add =
        [&](int id, int width, int height, bool alpha, const std::function<void(cairo_t*)>& paint)
    {
        StoredBitmap& stored = bitmaps[id];
        stored.png = paintPng(width, height, alpha, paint);
        stored.resource = {id,
                           width,
                           height,
                           alpha ? 32 : 24,
                           stored.png.data(),
                           static_cast<unsigned long>(stored.png.size())};
    };
    add(kBackgroundId, 120, 80, false,
        [](cairo_t* cr) { fill(cr, 0, 0, 120, 80, kBackgroundColor); });
    add(kKnobId, kKnobSizePixels, kKnobSizePixels * kKnobFrames, true,
        [](cairo_t* cr)
        {
            for (int frame = 0; frame < kKnobFrames; ++frame)
            {
                const double top = frame * kKnobSizePixels;
                fill(cr, 0, top, kKnobSizePixels, kKnobSizePixels, kKnobKeyColor);
                fill(cr, 2, top + 2, kKnobSizePixels - 4, kKnobSizePixels - 4,
                     knobFrameColor(frame));
            }
        });
    add(kTrackId, 10, 100, false, [](cairo_t* cr) { fill(cr, 0, 0, 10, 100, kTrackColor); });
    add(kHandleId, 10, 20, false, [](cairo_t* cr) { fill(cr, 0, 0, 10, 20, kHandleColor); });
    add(kButtonId, 10, 20, false,
        [](cairo_t* cr)
        {
            fill(cr, 0, 0, 10, 10, kButtonOffColor);
            fill(cr, 0, 10, 10, 10, kButtonOnColor);
        });
    add(kLitStripId, 4, kStripHeightPixels, false,
        [](cairo_t* cr)
        {
            for (int row = 0; row < kStripHeightPixels; ++row)
                fill(cr, 0, row, 4, 1, CColor{200, static_cast<unsigned char>(row), 0, 255});
        });
    add(kUnlitStripId, 4, kStripHeightPixels, false,
        [](cairo_t* cr)
        {
            for (int row = 0; row < kStripHeightPixels; ++row)
                fill(cr, 0, row, 4, 1, CColor{0, static_cast<unsigned char>(row), 200, 255});
        });
    StoredBitmap& corrupt = bitmaps[kCorruptPngId];
    corrupt.png = {'n', 'o', 't', ' ', 'p', 'n', 'g'};
    corrupt.resource = {kCorruptPngId,
                        4,
                        4,
                        24,
                        corrupt.png.data(),
                        static_cast<unsigned long>(corrupt.png.size())};
    return bitmaps;
}
} // namespace

const BitmapResource* findBitmapResource(int id)
{
    static const std::map<int, StoredBitmap> bitmaps = makeBitmaps();
    auto found = bitmaps.find(id);
    return found == bitmaps.end() ? nullptr : &found->second.resource;
}
