#include "TestBitmaps.h"

#include "toolkit/BitmapResource.h"

#include <cairo.h>
#include <cmath>
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

// Rows top to bottom (exclusive) of surface, each device pixel coloured by colorAt of the frame
// pixel it lies in at scale.
void paintRows(cairo_surface_t* surface, int top, int bottom, PixelColor colorAt, double scale)
{
    const int width = cairo_image_surface_get_width(surface);
    cairo_t* cr = cairo_create(surface);
    for (int y = top; y < bottom; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const CColor color = colorAt(static_cast<int>(x / scale), static_cast<int>(y / scale));
            cairo_set_source_rgb(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
            cairo_rectangle(cr, x, y, 1, 1);
            cairo_fill(cr);
        }
    }
    cairo_destroy(cr);
}

// A PNG of width x height pixels, each coloured by colorAt.
std::vector<unsigned char> paintPng(int width, int height, bool alpha, PixelColor colorAt)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
    paintRows(surface, 0, height, colorAt, 1.0);
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

struct PaintedBitmap
{
    int id, width, height;
    bool alpha;
    PixelColor colorAt;
};

const PaintedBitmap kPainted[] = {
    {kBackgroundId, 120, 80, false, [](int, int) { return kBackgroundColor; }},
    {kKnobId, kKnobSizePixels, kKnobSizePixels* kKnobFrames, true, knobPixel},
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

std::map<int, StoredBitmap> makeBitmaps()
{
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
    for (const auto& bitmap : kPainted)
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

// The same pictures with each frame pixel a block of device pixels; the knob frame by frame.
namespace
{
const PaintedBitmap* paintedBitmap(int id)
{
    for (const PaintedBitmap& bitmap : kPainted)
        if (bitmap.id == id)
            return &bitmap;
    return nullptr;
}
} // namespace

bool scaledBitmapLayout(int id, double scale, ScaledBitmapLayout& layout)
{
    const PaintedBitmap* bitmap = paintedBitmap(id);
    if (!bitmap)
        return false;
    layout = {static_cast<int>(std::lround(bitmap->width * scale)),
              static_cast<int>(std::lround(bitmap->height * scale)), bitmap->alpha ? 32 : 24,
              id == kKnobId ? kKnobFrames : 1};
    return true;
}

int& scaledFramesDrawn()
{
    static int frames = 0;
    return frames;
}

void drawScaledBitmapFrame(int id, double scale, int frame, cairo_surface_t* target)
{
    ++scaledFramesDrawn();
    ScaledBitmapLayout layout{};
    if (!scaledBitmapLayout(id, scale, layout))
        return;
    const int frameHeight = layout.height / layout.frameCount;
    paintRows(target, frame * frameHeight, (frame + 1) * frameHeight, paintedBitmap(id)->colorAt,
              scale);
}
