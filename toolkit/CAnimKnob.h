#pragma once

#include "toolkit/CKnob.h"

// A knob drawn from a vertical filmstrip of subPixmaps frames, each heightOfOneImage high;
// it shows frame floor(value x (subPixmaps - 1)). With transparency on, the bitmap's key
// colour is left out so the panel shows through the corners.
class CAnimKnob : public CKnob
{
  public:
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
              long heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    // The filmstrip frame the current value shows.
    long getFrameIndex() const;

  private:
    long subPixmaps;
    long heightOfOneImage; // pixels
    CPoint offset;
};
