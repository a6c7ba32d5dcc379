#pragma once

#include "toolkit/CColor.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

// A decoded bitmap shared by every CBitmap of the same id and scale in the process, so a second
// editor costs little memory. Freed when its last user lets go. A filmstrip drawn for a screen
// scale is drawn frame by frame as frames are first shown, so opening an editor draws only the
// frames its knobs show. GUI threads only.
class SharedImage
{
  public:
    // Draws frame (0-based) of the image into surface.
    using FrameDrawer = std::function<void(cairo_surface_t* surface, int frame)>;

    // A complete image.
    explicit SharedImage(cairo_surface_t* surface);
    // An image of frameCount frames stacked vertically, drawn on first use by drawFrame.
    SharedImage(cairo_surface_t* surface, int frameCount, FrameDrawer drawFrame);
    ~SharedImage();

    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    cairo_surface_t* getSurface() const { return surface; }
    long getWidth() const;
    long getHeight() const;
    long getFrameCount() const { return frameCount; }
    // Draws the frames that rows top to bottom (exclusive) cross, unless drawn already; call
    // before reading those rows.
    void prepareRows(long top, long bottom) const;

    // The resource for a screen scale (device pixels per frame pixel): the embedded PNG at 1,
    // drawn for the scale above 1. Null when the id is unknown or its PNG does not decode.
    static std::shared_ptr<const SharedImage> load(long resourceId, double scale);
    // The resource with every pixel of keyColor made fully transparent.
    static std::shared_ptr<const SharedImage> loadKeyed(long resourceId, double scale,
                                                        const CColor& keyColor);

  private:
    cairo_surface_t* surface;
    long frameCount;
    FrameDrawer drawFrame; // null for a complete image
    mutable std::mutex framesMutex;
    mutable std::vector<bool> framesDrawn;
};
