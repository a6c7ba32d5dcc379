#pragma once

#include "toolkit/COptionMenu.h"
#include "toolkit/ScaleFactor.h"

// The editor's size menu: an invisible view over the display strip whose right click opens the
// list of sizes, 100 % to 300 %, the current one marked, and last the loudness panel, marked
// while shown. Choosing reports the entry's position like any menu; scaleOfEntry turns a size's
// into a scale. GUI thread.
class ScaleMenu : public COptionMenu
{
  public:
    // The entry that shows or hides the loudness panel.
    static constexpr long kPanelEntry = kScaleFactorCount;

    ScaleMenu(const CRect& size, CControlListener* listener, long tag, double currentScale,
              bool panelShown);

    static double scaleOfEntry(long index);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    // The strip's own views show through.
    void draw(CDrawContext* context) override;
};
