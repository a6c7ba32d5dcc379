#pragma once

#include "toolkit/CRect.h"
#include "toolkit/CView.h"

#include <memory>
#include <vector>

class CBitmap;
class COffscreenContext;
class VSTGUIEditorInterface;
class X11Window;

// The editor's surface: owns its views and draws them, in the order added, into a back buffer
// that is copied to its X11 child window. Without a parent window (or without a display) it
// works the same headless: input comes through the on* entry points and the back buffer can be
// written as a PNG. Everything here runs on the one thread that opens, idles and closes the
// editor.
class CFrame
{
  public:
    // systemWindow is the host's parent window (an X11 Window id cast to a pointer) or null.
    // size is in device pixels; scaleFactor is the device pixels per frame pixel the views are
    // laid out for, which text sizes and drag distances follow.
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor,
           double scaleFactor = 1.0);
    ~CFrame();

    CFrame(const CFrame&) = delete;
    CFrame& operator=(const CFrame&) = delete;

    const CRect& getViewSize() const { return size; }
    double getScaleFactor() const { return scaleFactor; }
    VSTGUIEditorInterface* getEditor() const { return editor; }
    // True when the child window exists.
    bool isWindowOpen() const;
    // The child window's X11 id, 0 when headless.
    unsigned long getWindowId() const;
    // The window's display connection's file descriptor, -1 when headless.
    int getConnectionFd() const;

    void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    // Takes ownership of view; later views draw over earlier ones.
    bool addView(CView* view);
    // Deletes the view unless withForget is false (then the caller owns it again).
    bool removeView(CView* view, bool withForget = true);
    void removeAll();
    long getNbViews() const { return static_cast<long>(views.size()); }
    CView* getView(long index) const;
    bool isChild(const CView* view) const;

    // Handles pending window events without blocking, then redraws every dirty view (and what
    // lies under a transparent one) and shows the result.
    void idle();
    // Marks an area for redrawing at the next idle.
    void invalidate(const CRect& rect);
    // Redraws the whole frame into the back buffer now.
    void drawAll();
    // The back buffer; the context listeners receive with valueChanged.
    COffscreenContext* getDrawContext() const { return backBuffer.get(); }
    bool writePng(const char* path);

    // True while idle() handles window events and redraws: the frame must not be deleted then.
    bool isInIdle() const { return inIdle; }

    // Forwards the drag-idle hook to the editor.
    void doIdleStuff();

    // Input in frame coordinates; buttons is a set of CButton bits.
    CMouseEventResult onMouseDown(CPoint where, long buttons);
    CMouseEventResult onMouseMoved(CPoint where, long buttons);
    CMouseEventResult onMouseUp(CPoint where, long buttons);
    // The focus view gets the key first; Tab (Shift+Tab) moves the focus. True when used.
    bool onKeyDown(CKeyCode& key);
    bool onKeyUp(CKeyCode& key);
    // The window lost the keyboard: an open pop-up closes.
    void onFocusLost();

    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }
    void advanceFocus(bool backwards);

    // A view drawn over all others that receives all input until closed (a pop-up list).
    // The frame owns it; closing deletes it once the current event is handled.
    void setModalView(CView* view);
    CView* getModalView() const { return modalView.get(); }
    void closeModalView();

  private:
    // Redraws the pending regions into the back buffer; returns them for copying to the window.
    std::vector<CRect> redrawDirty();
    void releaseClosedModal();

    CRect size;
    double scaleFactor;
    VSTGUIEditorInterface* editor;
    CBitmap* background = nullptr;
    std::vector<CView*> views;
    std::unique_ptr<CView> modalView;
    std::unique_ptr<CView> closedModalView;
    CView* mouseDownView = nullptr;
    CView* focusView = nullptr;
    std::vector<CRect> pendingRegions;
    bool inIdle = false;
    std::unique_ptr<COffscreenContext> backBuffer;
    std::unique_ptr<X11Window> window;
};
