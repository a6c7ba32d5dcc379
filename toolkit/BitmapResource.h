#pragma once

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
