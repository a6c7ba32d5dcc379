#include "toolkit/CAnimKnob.h"

#include "toolkit/CBitmap.h"

#include <cmath>

CAnimKnob::CAnimKnob(const CRect& rect, CControlListener* controlListener, long controlTag,
                     long frames, long frameHeight, CBitmap* filmstrip, const CPoint& stripOffset)
    : CKnob(rect, controlListener, controlTag, filmstrip), subPixmaps(frames > 0 ? frames : 1),
      heightOfOneImage(frameHeight), offset(stripOffset)
{
}

long CAnimKnob::getFrameIndex() const
{
    const float normalised = (clampToRange(getValue()) - vmin) / (vmax - vmin);
    const long index = static_cast<long>(std::floor(normalised * (subPixmaps - 1)));
    return index < 0 ? 0 : (index >= subPixmaps ? subPixmaps - 1 : index);
}

void CAnimKnob::draw(CDrawContext* context)
{
    if (!background)
        return;
    const CPoint source(offset.x, offset.y + getFrameIndex() * heightOfOneImage);
    const CRect frameRect(size.left, size.top, size.right, size.top + heightOfOneImage);
    drawBitmap(background, context, frameRect, source);
}
