#pragma once

#include "toolkit/CControl.h"

// A vertical fader: a handle bitmap travelling over a track bitmap. GUI thread, except the
// value (see CControl).
class CSlider : public CControl
{
  public:
    static constexpr float kDefaultZoomFactor = 10.0f; // Shift makes the drag this much finer

    // The handle's top edge travels between the frame rows minPos and maxPos. With kBottom the
    // minimum is at the bottom, with kTop at the top. offset is the track bitmap's offset.
    CSlider(const CRect& size, CControlListener* listener, long tag, long minPos, long maxPos,
            CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
            long style = kVertical | kBottom);
    ~CSlider() override;

    // Where the handle bitmap sits relative to the view's left edge and its travel.
    void setOffsetHandle(const CPoint& offset) { offsetHandle = offset; }
    // With free click a press anywhere moves the handle's centre there; otherwise a press
    // must hit the handle.
    void setFreeClick(bool value) { freeClick = value; }
    void setZoomFactor(float factor) { zoomFactor = factor; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    bool onKeyDown(CKeyCode& key) override;
    bool wantsFocus() const override { return true; }

  private:
    long handleTop(float forValue) const;
    CRect handleRect() const;
    // The value change for a pointer that moved dy pixels down.
    float valueForDrag(long dy, bool fine) const;

    CBitmap* handle;
    CPoint offset;
    CPoint offsetHandle;
    long topPos;
    long bottomPos;
    bool minimumAtBottom;
    bool freeClick = false;
    float zoomFactor = kDefaultZoomFactor;
    // Drag state: the value and pointer row where the drag (or its fine part) started.
    float anchorValue = 0.0f;
    long anchorY = 0;
    bool anchorFine = false;
};
