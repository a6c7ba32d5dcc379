#include "toolkit/SharedImage.h"

#include "toolkit/BitmapResource.h"

#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

namespace
{
// Key of the image cache: a resource id, its scale and the key colour taken out of it, or none.
struct ImageKey
{
    long resourceId;
    long scaleMilli; // device pixels per frame pixel, in thousandths
    long keyRgb;     // -1 for the plain image

    bool operator<(const ImageKey& other) const
    {
        if (resourceId != other.resourceId)
            return resourceId < other.resourceId;
        return scaleMilli != other.scaleMilli ? scaleMilli < other.scaleMilli
                                              : keyRgb < other.keyRgb;
    }
};

constexpr long kPlainImage = -1;
constexpr double kMilli = 1000.0;

long scaleKey(double scale)
{
    return std::lround(scale * kMilli);
}

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

// Copies rows top to bottom (exclusive) of plain into the ARGB image keyed, with the pixels of
// keyColor cleared to transparent.
void copyKeyed(cairo_surface_t* plain, cairo_surface_t* keyed, int top, int bottom,
               const CColor& keyColor)
{
    const int width = cairo_image_surface_get_width(plain);
    cairo_surface_flush(plain);
    cairo_surface_flush(keyed);
    const uint32_t opaqueAlpha = 0xff000000u;
    const uint32_t key = opaqueAlpha | (uint32_t(keyColor.red) << 16) |
                         (uint32_t(keyColor.green) << 8) | uint32_t(keyColor.blue);
    // A 24-bit image's unused byte is undefined: every pixel counts as opaque.
    const uint32_t alphaOfPlain =
        cairo_image_surface_get_format(plain) == CAIRO_FORMAT_ARGB32 ? 0u : opaqueAlpha;
    const unsigned char* from = cairo_image_surface_get_data(plain);
    unsigned char* to = cairo_image_surface_get_data(keyed);
    const int fromStride = cairo_image_surface_get_stride(plain); // bytes
    const int toStride = cairo_image_surface_get_stride(keyed);   // bytes
    for (int y = top; y < bottom; ++y)
    {
        const auto* source = reinterpret_cast<const uint32_t*>(from + y * fromStride);
        auto* target = reinterpret_cast<uint32_t*>(to + y * toStride);
        for (int x = 0; x < width; ++x)
        {
            const uint32_t pixel = source[x] | alphaOfPlain;
            target[x] = pixel == key ? 0u : pixel;
        }
    }
    cairo_surface_mark_dirty_rectangle(keyed, 0, top, width, bottom - top);
}

std::shared_ptr<const SharedImage> drawnForScale(long resourceId, double scale)
{
    ScaledBitmapLayout layout{};
    const int id = static_cast<int>(resourceId);
    if (!scaledBitmapLayout(id, scale, layout) || layout.frameCount < 1)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(
        layout.depth == 32 ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, layout.width, layout.height);
    return std::make_shared<const SharedImage>(surface, layout.frameCount,
                                               [id, scale](cairo_surface_t* target, int frame) {
                                                   drawScaledBitmapFrame(id, scale, frame, target);
                                               });
}

std::shared_ptr<const SharedImage> keyedCopy(const std::shared_ptr<const SharedImage>& plain,
                                             const CColor& keyColor)
{
    const long frameCount = plain->getFrameCount();
    const long frameHeight = plain->getHeight() / frameCount;
    cairo_surface_t* keyed =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(plain->getWidth()),
                                   static_cast<int>(plain->getHeight()));
    return std::make_shared<const SharedImage>(
        keyed, static_cast<int>(frameCount),
        [plain, keyColor, frameHeight](cairo_surface_t* target, int frame)
        {
            const long top = frame * frameHeight;
            plain->prepareRows(top, top + frameHeight);
            copyKeyed(plain->getSurface(), target, static_cast<int>(top),
                      static_cast<int>(top + frameHeight), keyColor);
        });
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
    std::shared_ptr<const SharedImage> image = create();
    if (image)
        images[key] = image;
    return image;
}
} // namespace

SharedImage::SharedImage(cairo_surface_t* image) : SharedImage(image, 1, nullptr) {}

SharedImage::SharedImage(cairo_surface_t* image, int frameCount, FrameDrawer drawer)
    : surface(image), frameCount(frameCount > 0 ? frameCount : 1), drawFrame(std::move(drawer)),
      framesDrawn(static_cast<size_t>(this->frameCount), drawFrame == nullptr)
{
}

SharedImage::~SharedImage()
{
    cairo_surface_destroy(surface);
}

void SharedImage::prepareRows(long top, long bottom) const
{
    if (!drawFrame)
        return;
    const long frameHeight = getHeight() / frameCount;
    if (frameHeight <= 0 || bottom <= top)
        return;
    const long first = top > 0 ? top / frameHeight : 0;
    const long last =
        (bottom - 1) / frameHeight < frameCount ? (bottom - 1) / frameHeight : frameCount - 1;
    std::lock_guard<std::mutex> lock(framesMutex);
    for (long frame = first; frame <= last; ++frame)
    {
        if (!framesDrawn[static_cast<size_t>(frame)])
        {
            drawFrame(surface, static_cast<int>(frame));
            framesDrawn[static_cast<size_t>(frame)] = true;
        }
    }
}

long SharedImage::getWidth() const
{
    return cairo_image_surface_get_width(surface);
}

long SharedImage::getHeight() const
{
    return cairo_image_surface_get_height(surface);
}

std::shared_ptr<const SharedImage> SharedImage::load(long resourceId, double scale)
{
    return findOrCreate(ImageKey{resourceId, scaleKey(scale), kPlainImage},
                        [&]() -> std::shared_ptr<const SharedImage>
                        {
                            if (scaleKey(scale) != scaleKey(1.0))
                                return drawnForScale(resourceId, scale);
                            cairo_surface_t* decoded = decode(resourceId);
                            return decoded ? std::make_shared<const SharedImage>(decoded) : nullptr;
                        });
}

std::shared_ptr<const SharedImage> SharedImage::loadKeyed(long resourceId, double scale,
                                                          const CColor& keyColor)
{
    std::shared_ptr<const SharedImage> plain = load(resourceId, scale);
    if (!plain)
        return nullptr;
    return findOrCreate(ImageKey{resourceId, scaleKey(scale), packRgb(keyColor)},
                        [&] { return keyedCopy(plain, keyColor); });
}
