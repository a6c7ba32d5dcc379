#pragma once

#include "ArtColour.h"
#include "resources/PanelGeometry.h"

#include <cairo.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr double pi = 3.14159265358979323846;

// Angles measured clockwise from the top, as a listener reads a dial; cairo counts from +x.
inline double cairoAngle(double degreesFromTop)
{
    return (degreesFromTop - 90.0) * pi / 180.0;
}

struct SurfaceRelease
{
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextRelease
{
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
using ContextPtr = std::unique_ptr<cairo_t, ContextRelease>;

// A finished bitmap: depth 24 is opaque RGB, depth 32 carries an alpha channel that is 255
// everywhere (the knob filmstrips; their transparency is the key colour).
struct ArtBitmap
{
    int id;
    int depth;
    SurfacePtr surface;
};

ArtBitmap makeBitmap(int id, int widthPx, int heightPx, int depth);
// A drawing context whose text renders the same on every machine with the same fonts,
// whatever the desktop's font settings.
ContextPtr makeContext(const ArtBitmap& bitmap);

int bitmapWidth(const ArtBitmap& bitmap);
int bitmapHeight(const ArtBitmap& bitmap);

// Capital height of Liberation Sans per pixel of font size; centring on it keeps captions of
// different letters on one baseline.
constexpr double capHeightPerFontPx = 0.729;

enum class TextAlign
{
    left,
    centre,
    right
};

struct TextStyle
{
    double sizePx;
    bool bold;
    ArtColour colour;
};

// Draws one line whose capitals are centred vertically on centreY; x is the left edge, the
// centre or the right edge depending on align. Baselines snap to whole pixels for crisp type.
void drawText(cairo_t* cr, const std::string& text, double x, double centreY, TextAlign align,
              const TextStyle& style);
double textWidth(cairo_t* cr, const std::string& text, const TextStyle& style);

void fillRect(cairo_t* cr, const PixelRect& rect, ArtColour colour);
// One-pixel outline drawn on the pixels just inside rect.
void strokeRectInside(cairo_t* cr, const PixelRect& rect, ArtColour colour);
void fillRoundedRect(cairo_t* cr, double left, double top, double width, double height,
                     double radius);
void pathRoundedRect(cairo_t* cr, double left, double top, double width, double height,
                     double radius);
// A one-pixel horizontal or vertical line covering whole pixels.
void drawHorizontalLine(cairo_t* cr, int left, int right, int row, ArtColour colour);
void drawVerticalLine(cairo_t* cr, int column, int top, int bottom, ArtColour colour);

// The opaque pixel of colour as it sits in a cairo image surface's memory.
uint32_t packedPixel(ArtColour colour);

// Copies a rectangle of source (at sourceX, sourceY) into target at (targetX, targetY); with
// keyColour given, pixels of exactly that colour are left out, as the editor draws knobs.
void blit(cairo_surface_t* target, int targetX, int targetY, cairo_surface_t* source, int sourceX,
          int sourceY, int widthPx, int heightPx, const ArtColour* keyColour = nullptr);

// PNG bytes of the bitmap: RGB for depth 24, RGBA for depth 32; identical pixels give
// identical bytes.
std::vector<unsigned char> encodePng(const ArtBitmap& bitmap);
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// White is the toolkit's default key colour: a white pixel in an opaque bitmap would show the
// panel through it. Turns any such pixel into the nearest grey.
void avoidDefaultKeyColour(ArtBitmap& bitmap);
