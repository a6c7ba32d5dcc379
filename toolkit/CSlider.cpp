#include "toolkit/CSlider.h"

#include "toolkit/CBitmap.h"

#include <cmath>

CSlider::CSlider(const CRect& rect, CControlListener* controlListener, long controlTag, long minPos,
                 long maxPos, CBitmap* handleBitmap, CBitmap* track, const CPoint& trackOffset,
                 long style)
    : CControl(rect, controlListener, controlTag, track), handle(handleBitmap), offset(trackOffset),
      topPos(minPos < maxPos ? minPos : maxPos), bottomPos(minPos < maxPos ? maxPos : minPos),
      minimumAtBottom(!(style & kTop))
{
    if (handle)
        handle->remember();
}

CSlider::~CSlider()
{
    if (handle)
        handle->forget();
}

long CSlider::handleTop(float forValue) const
{
    const float normalised = (clampToRange(forValue) - vmin) / (vmax - vmin);
    const float fromTop = minimumAtBottom ? 1.0f - normalised : normalised;
    return topPos + std::lround(fromTop * static_cast<float>(bottomPos - topPos));
}

CRect CSlider::handleRect() const
{
    const long left = size.left + offsetHandle.x;
    const long top = handleTop(getValue()) + offsetHandle.y;
    const long width = handle ? handle->getWidth() : 0;
    const long height = handle ? handle->getHeight() : 0;
    return CRect(left, top, left + width, top + height);
}

void CSlider::draw(CDrawContext* context)
{
    drawBitmap(background, context, size, offset);
    drawBitmap(handle, context, handleRect());
}

float CSlider::valueForDrag(long dy, bool fine) const
{
    const float travel = static_cast<float>(bottomPos - topPos);
    if (travel <= 0.0f)
        return 0.0f;
    float change = -static_cast<float>(dy) / travel * (vmax - vmin);
    if (!minimumAtBottom)
        change = -change;
    return fine ? change / zoomFactor : change;
}

CMouseEventResult CSlider::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (listenerTakesModifierClick(buttons) || restoreDefaultOnCtrlClick(buttons))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    const CRect grip = handleRect();
    const bool onHandle = grip.pointInside(where);
    if (!onHandle && !freeClick)
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    beginEdit();
    anchorFine = (buttons & kShift) != 0;
    anchorY = where.y;
    anchorValue = getValue();
    if (!onHandle)
    {
        // Free click: the handle's centre jumps to the pointer.
        const long centre = (grip.top + grip.bottom) / 2;
        anchorValue = clampToRange(anchorValue + valueForDrag(where.y - centre, false));
        changeByUser(anchorValue);
    }
    return kMouseEventHandled;
}

CMouseEventResult CSlider::onMouseMoved(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventHandled;
    const bool fine = (buttons & kShift) != 0;
    if (fine != anchorFine)
    {
        // Switching precision mid-drag continues from the current value, without a jump.
        anchorFine = fine;
        anchorY = where.y;
        anchorValue = getValue();
    }
    const float newValue = clampToRange(anchorValue + valueForDrag(where.y - anchorY, fine));
    if (newValue != getValue())
        changeByUser(newValue);
    return kMouseEventHandled;
}

CMouseEventResult CSlider::onMouseUp(CPoint&, const long&)
{
    endEdit();
    return kMouseEventHandled;
}

bool CSlider::onKeyDown(CKeyCode& key)
{
    return handleArrowKey(key);
}
