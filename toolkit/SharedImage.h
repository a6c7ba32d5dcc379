#pragma once

#include "toolkit/CColor.h"

#include <memory>

typedef struct _cairo_surface cairo_surface_t;

// A decoded bitmap shared by every CBitmap of the same id in the process, so a second editor
// costs little memory. Freed when its last user lets go. GUI threads only.
class SharedImage
{
  public:
    explicit SharedImage(cairo_surface_t* surface) : surface(surface) {}
    ~SharedImage();

    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    cairo_surface_t* getSurface() const { return surface; }
    long getWidth() const;
    long getHeight() const;

    // The decoded resource, or null when the id is unknown or its PNG does not decode.
    static std::shared_ptr<const SharedImage> load(long resourceId);
    // The resource with every pixel of keyColor made fully transparent.
    static std::shared_ptr<const SharedImage> loadKeyed(long resourceId, const CColor& keyColor);

  private:
    cairo_surface_t* surface;
};
