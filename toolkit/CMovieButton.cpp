#include "toolkit/CMovieButton.h"

#include "toolkit/CBitmap.h"

CMovieButton::CMovieButton(const CRect& rect, CControlListener* controlListener, long controlTag,
                           long frameHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CControl(rect, controlListener, controlTag, bitmap), heightOfOneImage(frameHeight),
      offset(bitmapOffset)
{
}

void CMovieButton::draw(CDrawContext* context)
{
    if (!background)
        return;
    const long frameIndex = getValue() == vmin ? 0 : 1;
    const CPoint source(offset.x, offset.y + frameIndex * heightOfOneImage);
    drawBitmap(background, context, size, source);
}

CMouseEventResult CMovieButton::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (listenerTakesModifierClick(buttons))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    beginEdit();
    entryValue = getValue();
    follow(where);
    return kMouseEventHandled;
}

CMouseEventResult CMovieButton::onMouseMoved(CPoint& where, const long& buttons)
{
    if (buttons & kLButton)
        follow(where);
    return kMouseEventHandled;
}

CMouseEventResult CMovieButton::onMouseUp(CPoint& where, const long&)
{
    follow(where);
    endEdit();
    return kMouseEventHandled;
}

void CMovieButton::follow(const CPoint& where)
{
    const float toggled = entryValue == vmax ? vmin : vmax;
    const float newValue = size.pointInside(where) ? toggled : entryValue;
    if (newValue != getValue())
        changeByUser(newValue);
}
