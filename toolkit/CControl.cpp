#include "toolkit/CControl.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

CControl::CControl(const CRect& rect, CControlListener* controlListener, long controlTag,
                   CBitmap* bitmap)
    : CView(rect), tag(controlTag), listener(controlListener)
{
    setBackground(bitmap);
}

void CControl::setValue(float newValue)
{
    if (value.exchange(newValue, std::memory_order_relaxed) != newValue)
        setDirty();
}

void CControl::beginEdit()
{
    if (frame && frame->getEditor())
        frame->getEditor()->beginEdit(tag);
}

void CControl::endEdit()
{
    if (frame && frame->getEditor())
        frame->getEditor()->endEdit(tag);
}

void CControl::changeByUser(float newValue)
{
    setValue(newValue);
    reportChange();
}

void CControl::reportChange()
{
    if (listener)
        listener->valueChanged(frame ? frame->getDrawContext() : nullptr, this);
}

bool CControl::listenerTakesModifierClick(long buttons)
{
    return (buttons & kModifierButtons) && listener &&
           listener->controlModifierClicked(frame ? frame->getDrawContext() : nullptr, this,
                                            buttons) != 0;
}

bool CControl::restoreDefaultOnCtrlClick(long buttons)
{
    if (buttons != (kLButton | kControl))
        return false;
    beginEdit();
    changeByUser(resetValue);
    endEdit();
    return true;
}

bool CControl::handleArrowKey(const CKeyCode& key)
{
    float direction = 0.0f;
    if (key.virt == kKeyUp || key.virt == kKeyRight)
        direction = 1.0f;
    else if (key.virt == kKeyDown || key.virt == kKeyLeft)
        direction = -1.0f;
    else
        return false;
    const float step = (key.modifier & kModifierShift) ? kFineArrowStep : kArrowStep;
    beginEdit();
    changeByUser(clampToRange(getValue() + direction * step * (vmax - vmin)));
    endEdit();
    return true;
}

float CControl::clampToRange(float candidate) const
{
    if (candidate < vmin)
        return vmin;
    if (candidate > vmax)
        return vmax;
    return candidate;
}
