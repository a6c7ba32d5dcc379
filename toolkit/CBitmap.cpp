#include "toolkit/CBitmap.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/SharedImage.h"

#include <cairo.h>

CBitmap::CBitmap(long id, double screenScale)
    : resourceId(id), scale(screenScale), image(SharedImage::load(id, screenScale))
{
}

CBitmap::~CBitmap() = default;

long CBitmap::getWidth() const
{
    return image ? image->getWidth() : 0;
}

long CBitmap::getHeight() const
{
    return image ? image->getHeight() : 0;
}

void CBitmap::forget()
{
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

bool replaceBitmap(CBitmap*& slot, CBitmap* bitmap)
{
    if (bitmap == slot)
        return false;
    if (bitmap)
        bitmap->remember();
    if (slot)
        slot->forget();
    slot = bitmap;
    return true;
}

void CBitmap::setTransparentColor(const CColor& color)
{
    if (!color.sameRgb(transparentColor))
        keyedImage.reset();
    transparentColor = color;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    if (image)
        drawImage(context, *image, rect, offset);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    if (!image)
        return;
    if (!keyedImage)
        keyedImage = SharedImage::loadKeyed(resourceId, scale, transparentColor);
    if (keyedImage)
        drawImage(context, *keyedImage, rect, offset);
}

void CBitmap::drawImage(CDrawContext* context, const SharedImage& source, const CRect& rect,
                        const CPoint& offset)
{
    if (!context)
        return;
    // Only the part of rect that the bitmap covers is painted.
    CRect painted(rect.left - offset.x, rect.top - offset.y,
                  rect.left - offset.x + source.getWidth(),
                  rect.top - offset.y + source.getHeight());
    painted.bound(rect);
    if (painted.isEmpty())
        return;
    const long sourceTop = painted.top - (rect.top - offset.y);
    source.prepareRows(sourceTop, sourceTop + painted.height());
    cairo_t* cr = context->getCairo();
    cairo_save(cr);
    cairo_set_source_surface(cr, source.getSurface(), rect.left - offset.x, rect.top - offset.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, painted.left, painted.top, painted.width(), painted.height());
    cairo_fill(cr);
    cairo_restore(cr);
}
