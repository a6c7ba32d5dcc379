#include "toolkit/COptionMenuPopup.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenu.h"

#include <cmath>

namespace
{
long scaledPixels(long framePixels, double scale)
{
    return std::lround(static_cast<double>(framePixels) * scale);
}
} // namespace

COptionMenuPopup::COptionMenuPopup(COptionMenu* owner, const CRect& rect, double scale)
    : CView(rect), menu(owner), highlighted(owner ? owner->getCurrent() : -1),
      rowHeightPx(scaledPixels(kRowHeightPixels, scale)),
      textPaddingPx(scaledPixels(kTextPaddingPixels, scale))
{
}

COptionMenuPopup::~COptionMenuPopup()
{
    if (menu)
        menu->popupClosed();
}

CRect COptionMenuPopup::placement(const COptionMenu& menu, const CRect& frameSize,
                                  long widestTextPixels, double scale)
{
    const CRect& anchor = menu.getViewSize();
    const long textWidth = widestTextPixels + 2 * scaledPixels(kTextPaddingPixels, scale);
    const long width = textWidth > anchor.width() ? textWidth : anchor.width();
    const long height = menu.getNbEntries() * scaledPixels(kRowHeightPixels, scale);

    long left = anchor.left;
    if (left + width > frameSize.right)
        left = frameSize.right - width;
    if (left < frameSize.left)
        left = frameSize.left;
    long top = anchor.bottom;
    if (top + height > frameSize.bottom)
    {
        // Above the menu when it fits there, else as low as the frame allows.
        top =
            anchor.top - height >= frameSize.top ? anchor.top - height : frameSize.bottom - height;
        if (top < frameSize.top)
            top = frameSize.top;
    }
    return CRect(left, top, left + width, top + height);
}

long COptionMenuPopup::rowAt(const CPoint& where) const
{
    if (!menu || !size.pointInside(where))
        return -1;
    const long row = (where.y - size.top) / rowHeightPx;
    return row < menu->getNbEntries() ? row : -1;
}

void COptionMenuPopup::highlight(long row)
{
    if (row != highlighted)
    {
        highlighted = row;
        setDirty();
    }
}

void COptionMenuPopup::draw(CDrawContext* context)
{
    if (!menu)
        return;
    context->setFillColor(menu->getBackColor());
    context->fillRect(size);
    context->setFont(menu->getFont(), menu->getTxtFace());
    for (long row = 0; row < menu->getNbEntries(); ++row)
    {
        const CRect rowRect(size.left, size.top + row * rowHeightPx, size.right,
                            size.top + (row + 1) * rowHeightPx);
        // The highlighted row is drawn inverted.
        if (row == highlighted)
        {
            context->setFillColor(menu->getFontColor());
            context->fillRect(rowRect);
        }
        context->setFontColor(row == highlighted ? menu->getBackColor() : menu->getFontColor());
        CRect textRect = rowRect;
        textRect.left += textPaddingPx;
        context->drawString(menu->getEntry(row), textRect, kLeftText);
    }
    context->setFrameColor(menu->getFontColor());
    context->drawRect(size);
}

CMouseEventResult COptionMenuPopup::onMouseDown(CPoint& where, const long&)
{
    const long row = rowAt(where);
    if (menu && row >= 0)
        menu->choose(row);
    else if (frame)
        frame->closeModalView();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult COptionMenuPopup::onMouseMoved(CPoint& where, const long&)
{
    const long row = rowAt(where);
    if (row >= 0)
        highlight(row);
    return kMouseEventHandled;
}

CMouseEventResult COptionMenuPopup::onMouseUp(CPoint&, const long&)
{
    return kMouseEventHandled;
}

bool COptionMenuPopup::onKeyDown(CKeyCode& key)
{
    if (!menu)
        return false;
    const long last = menu->getNbEntries() - 1;
    switch (key.virt)
    {
    case kKeyUp:
        highlight(highlighted > 0 ? highlighted - 1 : 0);
        return true;
    case kKeyDown:
        highlight(highlighted < last ? highlighted + 1 : last);
        return true;
    case kKeyReturn:
    case kKeyEnter:
        menu->choose(highlighted);
        return true;
    case kKeyEscape:
        menu->closePopup();
        return true;
    default:
        return false;
    }
}
