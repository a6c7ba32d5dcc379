#pragma once

#include "toolkit/CControl.h"

// A rotary control: how it follows the mouse, by the process-wide knob mode. Draws only its
// background; CAnimKnob adds the filmstrip. GUI thread, except the value (see CControl).
class CKnob : public CControl
{
  public:
    // A drag this long covers the range; frame pixels, so the same at every screen scale.
    static constexpr float kLinearRangePixels = 200.0f;
    static constexpr float kFineZoomFactor = 1.5f; // Shift makes linear drags finer

    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    bool onKeyDown(CKeyCode& key) override;
    bool wantsFocus() const override { return true; }

    // The value the absolute circular mode gives a pointer: the minimum at the lower left,
    // clockwise over the top to the maximum at the lower right; below the centre the nearer end.
    float valueFromPoint(const CPoint& where) const;

  private:
    enum class Drag
    {
        linear,
        circular,
        relativeCircular
    };

    // The pointer's angle around the centre in radians, counter-clockwise from the right.
    double pointerAngle(const CPoint& where) const;
    long currentKnobMode() const;
    // Device pixels per frame pixel of the frame the knob is in.
    float scaleFactor() const;

    Drag drag = Drag::linear;
    CPoint anchor;
    float anchorValue = 0.0f;
    bool anchorFine = false;
    double lastAngle = 0.0;
};
