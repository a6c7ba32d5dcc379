#include "toolkit/CTextLabel.h"

CTextLabel::CTextLabel(const CRect& rect, const char* initialText, CBitmap* bitmap, long style)
    : CParamDisplay(rect, bitmap, style), text(initialText ? initialText : "")
{
}

void CTextLabel::setText(const char* newText)
{
    text = newText ? newText : "";
    setDirty();
}
