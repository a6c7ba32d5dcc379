#pragma once

#include "ArtColour.h"
#include "resources/PanelGeometry.h"

#include <cairo.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr double kPi = 3.14159265358979323846;

// Angles measured clockwise from the top, as a listener reads a dial; cairo counts from +x.
inline double cairoAngle(double degreesFromTop)
{
    return (degreesFromTop - 90.0) * kPi / 180.0;
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
// everywhere (the knob filmstrips; their transparency is the key colour). scale is the number
// of device pixels per frame pixel it is drawn for.
struct ArtBitmap
{
    int id;
    int depth;
    SurfacePtr surface;
    double scale = 1.0;
};

// widthPx and heightPx are device pixels.
ArtBitmap makeBitmap(int id, int widthPx, int heightPx, int depth, double scale = 1.0);
// The device pixels a length of frame pixels covers at scale; the editor sizes its views alike.
int scaledPx(double framePx, double scale);
// A bitmap of widthPx x heightPx frame pixels drawn for scale.
ArtBitmap makeScaledBitmap(int id, int widthPx, int heightPx, int depth, double scale);
// A drawing context whose text renders the same on every machine with the same fonts,
// whatever the desktop's font settings. It draws in frame pixels, scaled to the bitmap's scale.
ContextPtr makeContext(const ArtBitmap& bitmap);
// Device pixels per frame pixel of the context.
double deviceScale(cairo_t* cr);

int bitmapWidth(const ArtBitmap& bitmap);
int bitmapHeight(const ArtBitmap& bitmap);

// Capital height of Liberation Sans per pixel of font size; centring on it keeps captions of
// different letters on one baseline.
constexpr double kCapHeightPerFontPx = 0.729;

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

// Rectangles and lines cover whole device pixels, their edges rounded like the editor's views.
void fillRect(cairo_t* cr, const PixelRect& rect, ArtColour colour);
// One-device-pixel outline drawn on the pixels just inside rect.
void strokeRectInside(cairo_t* cr, const PixelRect& rect, ArtColour colour);
void fillRoundedRect(cairo_t* cr, double left, double top, double width, double height,
                     double radius);
void pathRoundedRect(cairo_t* cr, double left, double top, double width, double height,
                     double radius);
// A horizontal or vertical line one device pixel thick, crisp at every scale.
void drawHorizontalLine(cairo_t* cr, int left, int right, int row, ArtColour colour);
void drawVerticalLine(cairo_t* cr, int column, int top, int bottom, ArtColour colour);

// The opaque pixel of colour as it sits in a cairo image surface's memory.
uint32_t packedPixel(ArtColour colour);

// Copies a rectangle of source (at sourceX, sourceY) into target at (targetX, targetY); with
// keyColour given, pixels of exactly that colour are left out, as the editor draws knobs.
// Positions and sizes in device pixels.
void blit(cairo_surface_t* target, int targetX, int targetY, cairo_surface_t* source, int sourceX,
          int sourceY, int widthPx, int heightPx, const ArtColour* keyColour = nullptr);

// White is the toolkit's default key colour: a white pixel in an opaque bitmap would show the
// panel through it. Turns any such pixel into the nearest grey.
void avoidDefaultKeyColour(ArtBitmap& bitmap);
