#pragma once

typedef struct _cairo_surface cairo_surface_t;

// An embedded PNG the toolkit decodes on demand. The toolkit only declares the lookup; the
// library that embeds the art defines it (resources/ for the plug-in, the toolkit tests their own).
struct BitmapResource
{
    int id;
    int width;  // pixels
    int height; // pixels
    int depth;  // bits per pixel: 24 (opaque) or 32 (with alpha)
    const unsigned char* png;
    unsigned long pngSize; // bytes
};

// Returns the resource with this id, or null when there is none.
const BitmapResource* findBitmapResource(int id);

// The same bitmaps drawn for another screen scale (device pixels per frame pixel, above 1),
// frame by frame: a filmstrip's frames as they are first shown. Both are defined beside
// findBitmapResource.
struct ScaledBitmapLayout
{
    int width;      // device pixels
    int height;     // device pixels, frameCount frames stacked
    int depth;      // 24 (opaque) or 32 (with alpha)
    int frameCount; // 1: drawn whole
};
// False when there is no bitmap with this id.
bool scaledBitmapLayout(int id, double scale, ScaledBitmapLayout& layout);
// Draws frame (0-based) into its rows of target, an image surface of the layout's size and
// depth.
void drawScaledBitmapFrame(int id, double scale, int frame, cairo_surface_t* target);
