#pragma once

#include "toolkit/CParamDisplay.h"

#include <string>

// A CParamDisplay that shows a text of its own instead of the value. GUI thread.
class CTextLabel : public CParamDisplay
{
  public:
    CTextLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr,
               long style = 0);

    // Null clears the text.
    void setText(const char* newText);
    const char* getText() const { return text.c_str(); }

  protected:
    std::string getDisplayText() const override { return text; }

  private:
    std::string text;
};
