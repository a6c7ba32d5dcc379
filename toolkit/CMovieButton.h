#pragma once

#include "toolkit/CControl.h"

// A two-state button from a two-frame bitmap: frame 0 while the value is the minimum, frame 1
// otherwise. A left click toggles; while held, the value follows whether the pointer is inside.
class CMovieButton : public CControl
{
  public:
    CMovieButton(const CRect& size, CControlListener* listener, long tag, long heightOfOneImage,
                 CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;

  private:
    void follow(const CPoint& where);

    long heightOfOneImage; // pixels
    CPoint offset;
    float entryValue = 0.0f; // the value when the press began
};
