#include "TestBitmaps.h"

#include "toolkit/BitmapResource.h"

#include <cairo.h>
#include <map>
#include <vector>

namespace
{
using PixelColor = CColor (*)(int x, int y);

cairo_status_t appendPng(void* closure, const unsigned char* data, unsigned int length)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// A PNG of width x height pixels, each coloured by colorAt.
std::vector<unsigned char> paintPng(int width, int height, bool alpha, PixelColor colorAt)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const CColor color = colorAt(x, y);
            cairo_set_source_rgb(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
            cairo_rectangle(cr, x, y, 1, 1);
            cairo_fill(cr);
        }
    cairo_destroy(cr);
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(surface, appendPng, &png);
    cairo_surface_destroy(surface);
    return png;
}

CColor knobPixel(int x, int y)
{
    const int frameRow = y % kKnobSizePixels; // a 2-pixel key-coloured border round each frame
    const bool border =
        x < 2 || x >= kKnobSizePixels - 2 || frameRow < 2 || frameRow >= kKnobSizePixels - 2;
    return border ? kKnobKeyColor : knobFrameColor(y / kKnobSizePixels);
}

struct StoredBitmap
{
    std::vector<unsigned char> png;
    BitmapResource resource;
};

std::map<int, StoredBitmap> makeBitmaps()
{
    const struct
    {
        int id, width, height;
        bool alpha;
        PixelColor colorAt;
    } painted[] = {
        {kBackgroundId, 120, 80, false, [](int, int) { return kBackgroundColor; }},
        {kKnobId, kKnobSizePixels, kKnobSizePixels * kKnobFrames, true, knobPixel},
        {kTrackId, 10, 100, false, [](int, int) { return kTrackColor; }},
        {kHandleId, 10, 20, false, [](int, int) { return kHandleColor; }},
        {kButtonId, 10, 20, false,
         [](int, int y) { return y < 10 ? kButtonOffColor : kButtonOnColor; }},
        {kLitStripId, 4, kStripHeightPixels, false,
         [](int, int y) {
             return CColor{200, static_cast<unsigned char>(y), 0, 255};
         }},
        {kUnlitStripId, 4, kStripHeightPixels, false,
         [](int, int y) {
             return CColor{0, static_cast<unsigned char>(y), 200, 255};
         }},
    };
    std::map<int, StoredBitmap> bitmaps; // its nodes stay put, so the data pointers hold
    auto store = [&](int id, int width, int height, int depth, std::vector<unsigned char> png)
    {
        StoredBitmap& stored = bitmaps[id];
        stored.png = std::move(png);
        stored.resource = {id,
                           width,
                           height,
                           depth,
                           stored.png.data(),
                           static_cast<unsigned long>(stored.png.size())};
    };
    for (const auto& bitmap : painted)
        store(bitmap.id, bitmap.width, bitmap.height, bitmap.alpha ? 32 : 24,
              paintPng(bitmap.width, bitmap.height, bitmap.alpha, bitmap.colorAt));
    store(kCorruptPngId, 4, 4, 24, {'n', 'o', 't', ' ', 'p', 'n', 'g'});
    return bitmaps;
}
} // namespace

const BitmapResource* findBitmapResource(int id)
{
    static const std::map<int, StoredBitmap> bitmaps = makeBitmaps();
    auto found = bitmaps.find(id);
    return found == bitmaps.end() ? nullptr : &found->second.resource;
}
