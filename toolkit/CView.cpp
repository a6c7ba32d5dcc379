#include "toolkit/CView.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

CView::CView(const CRect& rect) : size(rect) {}

CView::~CView()
{
    setBackground(nullptr);
}

void CView::draw(CDrawContext* context)
{
    drawBitmap(background, context, size);
}

void CView::drawBitmap(CBitmap* bitmap, CDrawContext* context, const CRect& rect,
                       const CPoint& offset) const
{
    if (!bitmap)
        return;
    if (transparent)
        bitmap->drawTransparent(context, rect, offset);
    else
        bitmap->draw(context, rect, offset);
}

CMouseEventResult CView::onMouseDown(CPoint&, const long&)
{
    return kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseMoved(CPoint&, const long&)
{
    return kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseUp(CPoint&, const long&)
{
    return kMouseEventNotHandled;
}

bool CView::onKeyDown(CKeyCode&)
{
    return false;
}

void CView::setTransparency(bool value)
{
    transparent = value;
    setDirty();
}

void CView::setBackground(CBitmap* bitmap)
{
    if (replaceBitmap(background, bitmap))
        setDirty();
}

void CView::setViewSize(const CRect& rect)
{
    if (frame)
        frame->invalidate(size); // uncover what the view leaves
    size = rect;
    setDirty();
}
