#include "toolkit/SharedImage.h"

#include "toolkit/BitmapResource.h"

#include <cairo.h>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

namespace
{
// Key of the image cache: a resource id and the key colour taken out of it, or none.
struct ImageKey
{
    long resourceId;
    long keyRgb; // -1 for the plain image

    bool operator<(const ImageKey& other) const
    {
        return resourceId != other.resourceId ? resourceId < other.resourceId
                                              : keyRgb < other.keyRgb;
    }
};

constexpr long kPlainImage = -1;

std::mutex cacheMutex;
std::map<ImageKey, std::weak_ptr<const SharedImage>>& cache()
{
    static std::map<ImageKey, std::weak_ptr<const SharedImage>> images;
    return images;
}

struct PngReader
{
    const unsigned char* data;
    unsigned long remaining; // bytes
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (length > reader->remaining)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data, length);
    reader->data += length;
    reader->remaining -= length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* decode(long resourceId)
{
    const BitmapResource* resource = findBitmapResource(static_cast<int>(resourceId));
    if (!resource || !resource->png)
        return nullptr;
    PngReader reader{resource->png, resource->pngSize};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

// Copies plain into an ARGB image with the pixels of keyColor cleared to transparent.
cairo_surface_t* makeKeyed(cairo_surface_t* plain, const CColor& keyColor)
{
    const int width = cairo_image_surface_get_width(plain);
    const int height = cairo_image_surface_get_height(plain);
    cairo_surface_t* keyed = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(keyed);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, plain, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(keyed);

    const uint32_t opaqueAlpha = 0xff000000u;
    const uint32_t key = opaqueAlpha | (uint32_t(keyColor.red) << 16) |
                         (uint32_t(keyColor.green) << 8) | uint32_t(keyColor.blue);
    unsigned char* data = cairo_image_surface_get_data(keyed);
    const int stride = cairo_image_surface_get_stride(keyed); // bytes
    for (int y = 0; y < height; ++y)
    {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
            if (row[x] == key)
                row[x] = 0;
    }
    cairo_surface_mark_dirty(keyed);
    return keyed;
}

long packRgb(const CColor& color)
{
    return (long(color.red) << 16) | (long(color.green) << 8) | long(color.blue);
}

// Returns the cached image for key, or makes one with create and caches it.
template <typename Create>
std::shared_ptr<const SharedImage> findOrCreate(const ImageKey& key, Create create)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    auto& images = cache();
    auto found = images.find(key);
    if (found != images.end())
    {
        if (auto image = found->second.lock())
            return image;
        images.erase(found);
    }
    cairo_surface_t* surface = create();
    if (!surface)
        return nullptr;
    auto image = std::make_shared<const SharedImage>(surface);
    images[key] = image;
    return image;
}
} // namespace

SharedImage::~SharedImage()
{
    cairo_surface_destroy(surface);
}

long SharedImage::getWidth() const
{
    return cairo_image_surface_get_width(surface);
}

long SharedImage::getHeight() const
{
    return cairo_image_surface_get_height(surface);
}

std::shared_ptr<const SharedImage> SharedImage::load(long resourceId)
{
    return findOrCreate(ImageKey{resourceId, kPlainImage}, [&] { return decode(resourceId); });
}

std::shared_ptr<const SharedImage> SharedImage::loadKeyed(long resourceId, const CColor& keyColor)
{
    std::shared_ptr<const SharedImage> plain = load(resourceId);
    if (!plain)
        return nullptr;
    return findOrCreate(ImageKey{resourceId, packRgb(keyColor)},
                        [&] { return makeKeyed(plain->getSurface(), keyColor); });
}
