#include "editor/ClickableLabel.h"

#include "toolkit/CFrame.h"

ClickableLabel::ClickableLabel(const CRect& rect, const char* initialText, CBitmap* bitmap,
                               long labelStyle, CControlListener* clickListener, long labelTag)
    : CTextLabel(rect, initialText, bitmap, labelStyle)
{
    setListener(clickListener);
    setTag(labelTag);
}

CMouseEventResult ClickableLabel::onMouseDown(CPoint&, const long& buttons)
{
    constexpr long anyButton = kLButton | kMButton | kRButton;
    if (!getMouseEnabled() || !frame || !frame->getDrawContext() || !getListener() ||
        !(buttons & anyButton))
        return kMouseEventNotHandled;
    setText("");
    getListener()->valueChanged(frame->getDrawContext(), this);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
