#pragma once

#include "toolkit/CView.h"

class COptionMenu;

// The list a COptionMenu opens: drawn over every view of the frame, it takes all input while
// open. A click on a row chooses it, a click elsewhere closes it; Up, Down, Return and Escape
// work too. Owned by the frame as its modal view.
class COptionMenuPopup : public CView
{
  public:
    // Frame pixels; a frame of another scale multiplies them.
    static constexpr long kRowHeightPixels = 14;
    static constexpr long kTextPaddingPixels = 6; // left and right of the widest entry

    // scale is the frame's device pixels per frame pixel.
    COptionMenuPopup(COptionMenu* menu, const CRect& size, double scale = 1.0);
    ~COptionMenuPopup() override;

    // Where the list goes: under the menu, or above it when the frame has no room below.
    static CRect placement(const COptionMenu& menu, const CRect& frameSize, long widestTextPixels,
                           double scale = 1.0);

    // The menu goes away first: forget it.
    void detach() { menu = nullptr; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    bool onKeyDown(CKeyCode& key) override;

  private:
    long rowAt(const CPoint& where) const;
    void highlight(long row);

    COptionMenu* menu;
    long highlighted;
    long rowHeightPx;   // device pixels
    long textPaddingPx; // device pixels
};
