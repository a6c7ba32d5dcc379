#pragma once

#include "toolkit/COptionMenu.h"

// The editor's size menu: an invisible view over the display strip whose right click opens the
// list of sizes, 100 % to 300 %, the current one marked. Choosing reports the entry's position
// like any menu; scaleOfEntry turns it into a scale. GUI thread.
class ScaleMenu : public COptionMenu
{
  public:
    ScaleMenu(const CRect& size, CControlListener* listener, long tag, double currentScale);

    static double scaleOfEntry(long index);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    // The strip's own views show through.
    void draw(CDrawContext* context) override;
};
