#pragma once

#include "toolkit/CKeyCode.h"
#include "toolkit/CRect.h"

#include <atomic>

class CBitmap;
class CDrawContext;
class CFrame;

// Mouse buttons and modifier keys, combined in the buttons argument of the mouse handlers.
enum CButton : long
{
    kLButton = 1 << 0,
    kMButton = 1 << 1,
    kRButton = 1 << 2,
    kShift = 1 << 3,
    kControl = 1 << 4,
    kAlt = 1 << 5,
    kApple = 1 << 6,
};
constexpr long kModifierButtons = kShift | kControl | kAlt | kApple;

enum CMouseEventResult
{
    kMouseEventNotHandled,
    kMouseEventHandled, // the view follows the mouse: moves and the release come to it
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
};

// A rectangle of the frame that draws itself and may take mouse and key input.
// Drawing and input run on the GUI thread; setDirty may come from any thread.
class CView
{
  public:
    explicit CView(const CRect& size);
    virtual ~CView();

    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    // Draws the background bitmap's top-left part at the view's origin.
    virtual void draw(CDrawContext* context);

    virtual CMouseEventResult onMouseDown(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const long& buttons);
    // Returns true when the key was used.
    virtual bool onKeyDown(CKeyCode& key);
    // Views that answer true take the keyboard focus by click or Tab.
    virtual bool wantsFocus() const { return false; }

    // A dirty view is redrawn at the frame's next idle.
    virtual bool isDirty() const { return dirty.load(std::memory_order_acquire); }
    virtual void setDirty(bool value = true) { dirty.store(value, std::memory_order_release); }

    void setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
    bool getMouseEnabled() const { return mouseEnabled; }
    // Transparent views draw their bitmaps with the key colour left out, over the frame background.
    void setTransparency(bool value);
    bool getTransparency() const { return transparent; }

    // Keeps a reference to the bitmap (null clears it).
    virtual void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    const CRect& getViewSize() const { return size; }
    virtual void setViewSize(const CRect& rect);

    CFrame* getFrame() const { return frame; }
    // Set by the frame when the view is added or removed.
    void setFrame(CFrame* owner) { frame = owner; }

  protected:
    // Draws the part of bitmap (may be null) that starts at offset into rect, with the key colour
    // left out when the view is transparent.
    void drawBitmap(CBitmap* bitmap, CDrawContext* context, const CRect& rect,
                    const CPoint& offset = CPoint()) const;

    CRect size;
    CFrame* frame = nullptr;
    CBitmap* background = nullptr;
    bool transparent = false;
    bool mouseEnabled = true;

  private:
    std::atomic<bool> dirty{true};
};
