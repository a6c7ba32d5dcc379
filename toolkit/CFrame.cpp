#include "toolkit/CFrame.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/VSTGUIEditorInterface.h"
#include "toolkit/X11Window.h"

#include <algorithm>
#include <cairo.h>
#include <cstdint>

namespace
{
bool overlapsAny(const CRect& rect, const std::vector<CRect>& regions)
{
    return std::any_of(regions.begin(), regions.end(),
                       [&](const CRect& region) { return rect.rectOverlap(region); });
}

// Draws view clipped to its own rectangle, so no view paints over its neighbours.
void drawClipped(CView& view, CDrawContext& context)
{
    const CRect& rect = view.getViewSize();
    cairo_t* cr = context.getCairo();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr);
    view.setDirty(false);
    view.draw(&context);
    cairo_restore(cr);
}
} // namespace

CFrame::CFrame(const CRect& rect, void* systemWindow, VSTGUIEditorInterface* owner, double scale)
    : size(0, 0, rect.width(), rect.height()), scaleFactor(scale), editor(owner),
      backBuffer(std::make_unique<COffscreenContext>(size.width(), size.height()))
{
    backBuffer->setScaleFactor(scaleFactor);
    pendingRegions.push_back(size);
    if (systemWindow)
    {
        window = std::make_unique<X11Window>(reinterpret_cast<std::uintptr_t>(systemWindow),
                                             size.width(), size.height());
        if (!window->isOpen())
            window.reset();
    }
}

CFrame::~CFrame()
{
    modalView.reset();
    closedModalView.reset();
    removeAll();
    setBackground(nullptr);
    window.reset();
}

bool CFrame::isWindowOpen() const
{
    return window != nullptr;
}

int CFrame::getConnectionFd() const
{
    return window ? window->getConnectionFd() : -1;
}

unsigned long CFrame::getWindowId() const
{
    return window ? window->getWindowId() : 0;
}

void CFrame::setBackground(CBitmap* bitmap)
{
    if (replaceBitmap(background, bitmap))
        invalidate(size);
}

bool CFrame::addView(CView* view)
{
    if (!view || isChild(view))
        return false;
    views.push_back(view);
    view->setFrame(this);
    view->setDirty();
    return true;
}

bool CFrame::removeView(CView* view, bool withForget)
{
    auto found = std::find(views.begin(), views.end(), view);
    if (found == views.end())
        return false;
    views.erase(found);
    if (mouseDownView == view)
        mouseDownView = nullptr;
    if (focusView == view)
        focusView = nullptr;
    invalidate(view->getViewSize());
    view->setFrame(nullptr);
    if (withForget)
        delete view;
    return true;
}

void CFrame::removeAll()
{
    mouseDownView = nullptr;
    focusView = nullptr;
    for (CView* view : views)
        delete view;
    views.clear();
    invalidate(size);
}

CView* CFrame::getView(long index) const
{
    return index >= 0 && index < getNbViews() ? views[static_cast<size_t>(index)] : nullptr;
}

bool CFrame::isChild(const CView* view) const
{
    return std::find(views.begin(), views.end(), view) != views.end();
}

void CFrame::invalidate(const CRect& rect)
{
    pendingRegions.push_back(rect);
}

void CFrame::idle()
{
    // A host may call the editor's idle from inside a callback the frame is making (while an
    // event is being handled); the outer call finishes the work.
    if (inIdle)
        return;
    inIdle = true;
    if (window)
        window->processEvents(*this);
    releaseClosedModal();
    std::vector<CRect> regions = redrawDirty();
    if (window)
        window->show(*backBuffer, regions);
    inIdle = false;
}

void CFrame::drawAll()
{
    invalidate(size);
    std::vector<CRect> regions = redrawDirty();
    if (window)
        window->show(*backBuffer, regions);
}

bool CFrame::writePng(const char* path)
{
    drawAll();
    return backBuffer->writePng(path);
}

std::vector<CRect> CFrame::redrawDirty()
{
    std::vector<CRect> regions;
    regions.swap(pendingRegions);
    for (CView* view : views)
        if (view->isDirty())
            regions.push_back(view->getViewSize());
    if (modalView && modalView->isDirty())
        regions.push_back(modalView->getViewSize());
    for (CRect& region : regions)
        region.bound(size);
    regions.erase(std::remove_if(regions.begin(), regions.end(),
                                 [](const CRect& region) { return region.isEmpty(); }),
                  regions.end());
    if (regions.empty())
        return regions;

    cairo_t* cr = backBuffer->getCairo();
    cairo_save(cr);
    for (const CRect& region : regions)
        cairo_rectangle(cr, region.left, region.top, region.width(), region.height());
    cairo_clip(cr);
    if (background)
        background->draw(backBuffer.get(), size);
    else
    {
        backBuffer->setFillColor(kBlackCColor);
        backBuffer->fillRect(size);
    }
    for (CView* view : views)
        if (overlapsAny(view->getViewSize(), regions))
            drawClipped(*view, *backBuffer);
    if (modalView && overlapsAny(modalView->getViewSize(), regions))
        drawClipped(*modalView, *backBuffer);
    cairo_restore(cr);
    cairo_surface_flush(backBuffer->getSurface());
    return regions;
}

void CFrame::doIdleStuff()
{
    if (editor)
        editor->doIdleStuff();
}

CMouseEventResult CFrame::onMouseDown(CPoint where, long buttons)
{
    if (mouseDownView)
        return kMouseEventHandled; // a second button during a drag changes nothing
    if (modalView)
    {
        CMouseEventResult result = modalView->onMouseDown(where, buttons);
        releaseClosedModal();
        return result;
    }
    for (auto view = views.rbegin(); view != views.rend(); ++view)
    {
        if (!(*view)->getMouseEnabled() || !(*view)->getViewSize().pointInside(where))
            continue;
        if ((*view)->wantsFocus())
            setFocusView(*view);
        CPoint local = where;
        CMouseEventResult result = (*view)->onMouseDown(local, buttons);
        if (result == kMouseEventNotHandled)
            continue;
        if (result == kMouseEventHandled)
            mouseDownView = *view;
        releaseClosedModal();
        return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CFrame::onMouseMoved(CPoint where, long buttons)
{
    CView* target = mouseDownView ? mouseDownView : modalView.get();
    if (!target)
        return kMouseEventNotHandled;
    CMouseEventResult result = target->onMouseMoved(where, buttons);
    releaseClosedModal();
    return result;
}

CMouseEventResult CFrame::onMouseUp(CPoint where, long buttons)
{
    CView* target = mouseDownView ? mouseDownView : modalView.get();
    mouseDownView = nullptr;
    if (!target)
        return kMouseEventNotHandled;
    CMouseEventResult result = target->onMouseUp(where, buttons);
    releaseClosedModal();
    return result;
}

bool CFrame::onKeyDown(CKeyCode& key)
{
    if (modalView)
    {
        bool used = modalView->onKeyDown(key);
        releaseClosedModal();
        return used;
    }
    if (focusView && focusView->onKeyDown(key))
        return true;
    if (key.virt == kKeyTab)
    {
        advanceFocus((key.modifier & kModifierShift) != 0);
        return true;
    }
    return false;
}

bool CFrame::onKeyUp(CKeyCode&)
{
    return false;
}

void CFrame::onFocusLost()
{
    if (modalView)
        closeModalView();
}

void CFrame::setFocusView(CView* view)
{
    focusView = view;
}

void CFrame::advanceFocus(bool backwards)
{
    std::vector<CView*> focusable;
    for (CView* view : views)
        if (view->wantsFocus() && view->getMouseEnabled())
            focusable.push_back(view);
    if (focusable.empty())
        return;
    auto current = std::find(focusable.begin(), focusable.end(), focusView);
    if (current == focusable.end())
    {
        focusView = backwards ? focusable.back() : focusable.front();
        return;
    }
    const long count = static_cast<long>(focusable.size());
    long index = (current - focusable.begin()) + (backwards ? count - 1 : 1);
    focusView = focusable[static_cast<size_t>(index % count)];
}

void CFrame::setModalView(CView* view)
{
    if (modalView)
        closeModalView();
    modalView.reset(view);
    if (view)
    {
        view->setFrame(this);
        view->setDirty();
    }
}

void CFrame::closeModalView()
{
    if (!modalView)
        return;
    invalidate(modalView->getViewSize());
    if (mouseDownView == modalView.get())
        mouseDownView = nullptr;
    closedModalView = std::move(modalView);
}

void CFrame::releaseClosedModal()
{
    closedModalView.reset();
}
