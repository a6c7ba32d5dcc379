#include "toolkit/CDrawContext.h"

#include <cairo.h>
#include <cstdint>

namespace
{
// Liberation Sans has Arial's metrics; fontconfig falls back to another sans when it is missing.
constexpr const char* kFontFamily = "Liberation Sans";
constexpr double kFontSizesPixels[kNumStandardFonts] = {
    12, // kSystemFont
    18, // kNormalFontVeryBig
    14, // kNormalFontBig
    12, // kNormalFont
    11, // kNormalFontSmall
    10, // kNormalFontSmaller
    9,  // kNormalFontVerySmall
    13, // kSymbolFont
};

constexpr double kColorScale = 255.0; // 8-bit channel to cairo's 0..1
} // namespace

CDrawContext::CDrawContext(cairo_surface_t* target)
    : surface(cairo_surface_reference(target)), cr(cairo_create(target))
{
    setFont(kSystemFont);
}

CDrawContext::~CDrawContext()
{
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void CDrawContext::useColor(const CColor& color)
{
    cairo_set_source_rgba(cr, color.red / kColorScale, color.green / kColorScale,
                          color.blue / kColorScale, color.alpha / kColorScale);
}

void CDrawContext::setFont(CFont font, long face)
{
    const long index = font >= 0 && font < kNumStandardFonts ? static_cast<long>(font) : 0L;
    cairo_select_font_face(cr, kFontFamily,
                           (face & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           (face & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSizesPixels[index] * scaleFactor);
}

void CDrawContext::fillRect(const CRect& rect)
{
    useColor(fillColor);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cr);
}

void CDrawContext::drawRect(const CRect& rect)
{
    if (rect.isEmpty())
        return;
    constexpr double halfPixel = 0.5; // centres a one-pixel line on the pixel row
    useColor(frameColor);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, rect.left + halfPixel, rect.top + halfPixel, rect.width() - 1.0,
                    rect.height() - 1.0);
    cairo_stroke(cr);
}

void CDrawContext::drawString(const char* text, const CRect& rect, CHoriTxtAlign align)
{
    if (!text || !*text || rect.isEmpty())
        return;
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);

    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.width() - extents.x_advance) / 2.0;
    else if (align == kRightText)
        x = rect.right - extents.x_advance;
    const double baseline =
        rect.top + (rect.height() - (font.ascent + font.descent)) / 2.0 + font.ascent;

    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr);
    useColor(fontColor);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text);
    cairo_restore(cr);
}

long CDrawContext::getStringWidth(const char* text)
{
    if (!text)
        return 0;
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    return static_cast<long>(extents.x_advance + 0.5);
}

void CDrawContext::setClipRect(const CRect& rect)
{
    cairo_reset_clip(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr);
}

void CDrawContext::resetClipRect()
{
    cairo_reset_clip(cr);
}

namespace
{
cairo_surface_t* createImage(long width, long height)
{
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(width > 0 ? width : 0),
                                   static_cast<int>(height > 0 ? height : 0));
    return image;
}
} // namespace

COffscreenContext::COffscreenContext(long w, long h, const CColor& background)
    : CDrawContext(createImage(w, h)), width(w > 0 ? w : 0), height(h > 0 ? h : 0)
{
    // The base took its own reference; drop the one createImage handed over.
    cairo_surface_destroy(getSurface());
    setFillColor(background);
    fillRect(CRect(0, 0, width, height));
}

void COffscreenContext::copyFrom(CDrawContext* dest, const CRect& destRect, const CPoint& srcOffset)
{
    if (!dest || destRect.isEmpty())
        return;
    cairo_surface_flush(getSurface());
    cairo_t* target = dest->getCairo();
    cairo_save(target);
    cairo_set_operator(target, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(target, getSurface(), destRect.left - srcOffset.x,
                             destRect.top - srcOffset.y);
    cairo_rectangle(target, destRect.left, destRect.top, destRect.width(), destRect.height());
    cairo_fill(target);
    cairo_restore(target);
}

CColor COffscreenContext::getPixel(long x, long y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return kBlackCColor;
    cairo_surface_flush(getSurface());
    const unsigned char* row = cairo_image_surface_get_data(getSurface()) +
                               y * cairo_image_surface_get_stride(getSurface());
    const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x];
    return CColor{static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                  static_cast<unsigned char>(pixel), 255};
}

bool COffscreenContext::writePng(const char* path) const
{
    cairo_surface_flush(getSurface());
    return cairo_surface_write_to_png(getSurface(), path) == CAIRO_STATUS_SUCCESS;
}
