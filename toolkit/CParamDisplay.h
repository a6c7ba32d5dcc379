#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"

#include <string>

// Shows its value as one line of text, centred, over its background bitmap or, without one, over
// its background colour; with a one-pixel frame unless the style has kNoFrame.
class CParamDisplay : public CControl
{
  public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);

    void setFont(CFont newFont);
    CFont getFont() const { return font; }
    void setFontColor(const CColor& color);
    const CColor& getFontColor() const { return fontColor; }
    void setBackColor(const CColor& color);
    const CColor& getBackColor() const { return backColor; }
    void setFrameColor(const CColor& color);
    const CColor& getFrameColor() const { return frameColor; }
    // A set of CTxtFace bits.
    void setTxtFace(long face);
    long getTxtFace() const { return txtFace; }
    void setHoriAlign(CHoriTxtAlign align);
    void setStyle(long newStyle);
    long getStyle() const { return style; }

    void draw(CDrawContext* context) override;

  protected:
    // The text to show; the value with two decimals here.
    virtual std::string getDisplayText() const;
    // Background, frame and text as described above, with the given background bitmap.
    void drawWithBackground(CDrawContext* context, CBitmap* bitmap, const std::string& text);

  private:
    CFont font = kNormalFontSmall;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    long txtFace = kNormalFace;
    CHoriTxtAlign horiAlign = kCenterText;
    long style;
};
