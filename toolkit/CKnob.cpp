#include "toolkit/CKnob.h"

#include "toolkit/CFrame.h"
#include "toolkit/KnobMode.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kStartAngle = 1.25 * kPi; // minimum at the lower left (225 degrees)
constexpr double kRangeAngle = 1.5 * kPi;  // 270 degrees of travel, clockwise

// An angle brought into [0, 2 pi).
double wrapPositive(double angle)
{
    angle = std::fmod(angle, 2.0 * kPi);
    return angle < 0.0 ? angle + 2.0 * kPi : angle;
}

// An angle brought into [-pi, pi).
double wrapSigned(double angle)
{
    return wrapPositive(angle + kPi) - kPi;
}
} // namespace

CKnob::CKnob(const CRect& rect, CControlListener* controlListener, long controlTag, CBitmap* bitmap)
    : CControl(rect, controlListener, controlTag, bitmap)
{
}

long CKnob::currentKnobMode() const
{
    if (frame && frame->getEditor())
        return frame->getEditor()->getKnobMode();
    return getProcessKnobMode();
}

float CKnob::scaleFactor() const
{
    return frame ? static_cast<float>(frame->getScaleFactor()) : 1.0f;
}

double CKnob::pointerAngle(const CPoint& where) const
{
    const double centreX = (size.left + size.right) / 2.0;
    const double centreY = (size.top + size.bottom) / 2.0;
    return std::atan2(centreY - where.y, where.x - centreX);
}

float CKnob::valueFromPoint(const CPoint& where) const
{
    const double clockwise = wrapPositive(kStartAngle - pointerAngle(where));
    double fraction = clockwise / kRangeAngle;
    if (fraction > 1.0)
    {
        // The dead zone under the knob snaps to the nearer end.
        const double deadZoneMiddle = (1.0 + 2.0 * kPi / kRangeAngle) / 2.0;
        fraction = fraction < deadZoneMiddle ? 1.0 : 0.0;
    }
    return vmin + static_cast<float>(fraction) * (vmax - vmin);
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (listenerTakesModifierClick(buttons) || restoreDefaultOnCtrlClick(buttons))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    const long mode = currentKnobMode();
    const bool alt = (buttons & kAlt) != 0;
    // Alt switches between linear and the circular modes for this drag.
    if ((mode == kLinearMode) != alt)
        drag = Drag::linear;
    else if (mode == kRelativCircularMode)
        drag = Drag::relativeCircular;
    else
        drag = Drag::circular;

    beginEdit();
    anchor = where;
    anchorValue = getValue();
    anchorFine = (buttons & kShift) != 0;
    lastAngle = pointerAngle(where);
    if (drag == Drag::circular)
    {
        const float jumped = valueFromPoint(where);
        if (jumped != getValue())
            changeByUser(jumped);
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventHandled;
    float newValue = getValue();
    switch (drag)
    {
    case Drag::linear:
    {
        const bool fine = (buttons & kShift) != 0;
        if (fine != anchorFine)
        {
            // Switching precision mid-drag continues from the current value, without a jump.
            anchorFine = fine;
            anchor = where;
            anchorValue = getValue();
        }
        const float pixels = static_cast<float>((anchor.y - where.y) + (where.x - anchor.x));
        const float range =
            (fine ? kLinearRangePixels * kFineZoomFactor : kLinearRangePixels) * scaleFactor();
        newValue = clampToRange(anchorValue + pixels / range * (vmax - vmin));
        break;
    }
    case Drag::circular:
        newValue = valueFromPoint(where);
        break;
    case Drag::relativeCircular:
    {
        const double angle = pointerAngle(where);
        const double clockwise = wrapSigned(lastAngle - angle);
        lastAngle = angle;
        newValue =
            clampToRange(getValue() + static_cast<float>(clockwise / kRangeAngle) * (vmax - vmin));
        break;
    }
    }
    if (newValue != getValue())
        changeByUser(newValue);
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const long&)
{
    endEdit();
    return kMouseEventHandled;
}

bool CKnob::onKeyDown(CKeyCode& key)
{
    return handleArrowKey(key);
}
