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
    if (!background)
        return;
    if (transparent)
        background->drawTransparent(context, size);
    else
        background->draw(context, size);
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

bool CView::onKeyDown(VstKeyCode&)
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
    if (bitmap == background)
        return;
    if (bitmap)
        bitmap->remember();
    if (background)
        background->forget();
    background = bitmap;
    setDirty();
}

void CView::setViewSize(const CRect& rect)
{
    if (frame)
        frame->invalidate(size); // uncover what the view leaves
    size = rect;
    setDirty();
}
