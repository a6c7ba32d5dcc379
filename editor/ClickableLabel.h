#pragma once

#include "toolkit/CTextLabel.h"

// A text label that reports a click to a listener, under its own tag: a press of any button
// clears the text and calls valueChanged. No drag tracking and no begin/end edit. GUI thread.
class ClickableLabel : public CTextLabel
{
  public:
    ClickableLabel(const CRect& size, const char* text, CBitmap* background, long style,
                   CControlListener* listener, long tag);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
};
