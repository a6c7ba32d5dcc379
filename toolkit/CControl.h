#pragma once

#include "toolkit/CView.h"

#include <atomic>

class CControl;

// Receives every change the user makes to a control. GUI thread.
class CControlListener
{
  public:
    virtual ~CControlListener() = default;

    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // Asked first on a click with a modifier key; a non-zero answer means the listener used it.
    virtual long controlModifierClicked(CDrawContext* context, CControl* control, long buttons)
    {
        (void)context;
        (void)control;
        (void)buttons;
        return 0;
    }
};

// Style bits of controls.
enum CControlStyle : long
{
    kHorizontal = 1 << 0,
    kVertical = 1 << 1,
    kTop = 1 << 2,     // a fader's minimum at the top
    kBottom = 1 << 3,  // a fader's minimum at the bottom
    kNoFrame = 1 << 4, // text views: no border
};

// A view with a value between a minimum and a maximum, a tag and a listener.
// setValue and getValue may be called from any thread (the host may automate from its audio
// thread): the value is one atomic float and a change only marks the control dirty.
class CControl : public CView
{
  public:
    static constexpr float kDefaultResetValue = 0.5f;
    static constexpr float kArrowStep = 0.1f;      // value change per arrow key
    static constexpr float kFineArrowStep = 0.01f; // the same with Shift held

    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0,
             CBitmap* background = nullptr);

    virtual void setValue(float newValue);
    virtual float getValue() const { return value.load(std::memory_order_relaxed); }

    void setMin(float minimum) { vmin = minimum; }
    float getMin() const { return vmin; }
    void setMax(float maximum) { vmax = maximum; }
    float getMax() const { return vmax; }
    // The value Ctrl plus left click restores.
    void setDefaultValue(float defaultValue) { resetValue = defaultValue; }
    float getDefaultValue() const { return resetValue; }
    // The value last shown; views that move toward their value step by step keep it here.
    void setOldValue(float displayed) { oldValue = displayed; }
    float getOldValue() const { return oldValue; }

    void setTag(long newTag) { tag = newTag; }
    long getTag() const { return tag; }
    void setListener(CControlListener* newListener) { listener = newListener; }
    CControlListener* getListener() const { return listener; }

    // Tell the frame's editor that the user starts or ends changing this control.
    void beginEdit();
    void endEdit();

  protected:
    // A user change: the new value reaches the listener (the caller brackets with begin/endEdit).
    void changeByUser(float newValue);
    void reportChange();
    // Offers a click with a modifier key to the listener; true when the listener used it.
    bool listenerTakesModifierClick(long buttons);
    // Ctrl plus left click (no other modifier) restores the default value and reports it.
    bool restoreDefaultOnCtrlClick(long buttons);
    // Arrow keys step a focused fader or knob; returns true when the key was used.
    bool handleArrowKey(const CKeyCode& key);
    float clampToRange(float candidate) const;

    std::atomic<float> value{0.0f};
    float oldValue = 1.0f;
    float vmin = 0.0f;
    float vmax = 1.0f;
    float resetValue = kDefaultResetValue;
    long tag;
    CControlListener* listener;
};
