#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CRect.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

// The standard font table; the editor uses kNormalFontSmaller (5) and kNormalFontVerySmall (6).
enum CFont : long
{
    kSystemFont,
    kNormalFontVeryBig,
    kNormalFontBig,
    kNormalFont,
    kNormalFontSmall,
    kNormalFontSmaller,
    kNormalFontVerySmall,
    kSymbolFont,
    kNumStandardFonts
};

// Bits of a text face.
enum CTxtFace : long
{
    kNormalFace = 0,
    kBoldFace = 1,
    kItalicFace = 2,
};

enum CHoriTxtAlign
{
    kLeftText,
    kCenterText,
    kRightText
};

// Draws with cairo into any cairo surface: the frame's back buffer, an offscreen image or a PNG.
// Coordinates are device pixels; text is sized for the screen scale. Used on the GUI thread only.
class CDrawContext
{
  public:
    // Keeps its own reference to surface.
    explicit CDrawContext(cairo_surface_t* surface);
    virtual ~CDrawContext();

    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    cairo_t* getCairo() const { return cr; }
    cairo_surface_t* getSurface() const { return surface; }

    void setFillColor(const CColor& color) { fillColor = color; }
    const CColor& getFillColor() const { return fillColor; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    const CColor& getFrameColor() const { return frameColor; }
    void setFontColor(const CColor& color) { fontColor = color; }
    const CColor& getFontColor() const { return fontColor; }
    // face is a set of CTxtFace bits.
    void setFont(CFont font, long face = kNormalFace);
    // Device pixels per frame pixel: the fonts' sizes are multiplied by it. Set it before
    // choosing a font.
    void setScaleFactor(double factor) { scaleFactor = factor; }
    double getScaleFactor() const { return scaleFactor; }

    void fillRect(const CRect& rect);
    // A one-device-pixel outline along the inside of rect.
    void drawRect(const CRect& rect);
    // One line of text, vertically centred in rect and clipped to it.
    void drawString(const char* text, const CRect& rect, CHoriTxtAlign align = kCenterText);
    // Pixels the text advances in the current font.
    long getStringWidth(const char* text);

    // Limits drawing to rect until resetClipRect; a new clip replaces the previous one.
    void setClipRect(const CRect& rect);
    void resetClipRect();

  private:
    void useColor(const CColor& color);

    cairo_surface_t* surface;
    cairo_t* cr;
    CColor fillColor = kWhiteCColor;
    CColor frameColor = kBlackCColor;
    CColor fontColor = kWhiteCColor;
    double scaleFactor = 1.0;
};

// An image surface of its own, drawn into off screen and then copied in one piece.
class COffscreenContext : public CDrawContext
{
  public:
    COffscreenContext(long width, long height, const CColor& background = kBlackCColor);

    long getWidth() const { return width; }
    long getHeight() const { return height; }

    // Copies the part of this image that starts at srcOffset into destRect of dest.
    void copyFrom(CDrawContext* dest, const CRect& destRect, const CPoint& srcOffset = CPoint());
    // The colour at a pixel (black outside the image); for checks and screenshots.
    CColor getPixel(long x, long y) const;
    bool writePng(const char* path) const;

  private:
    long width;
    long height;
};
