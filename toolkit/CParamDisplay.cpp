#include "toolkit/CParamDisplay.h"

#include "toolkit/CBitmap.h"

#include <cstdio>

CParamDisplay::CParamDisplay(const CRect& rect, CBitmap* bitmap, long displayStyle)
    : CControl(rect, nullptr, 0, bitmap), style(displayStyle)
{
}

void CParamDisplay::setFont(CFont newFont)
{
    font = newFont;
    setDirty();
}

void CParamDisplay::setFontColor(const CColor& color)
{
    fontColor = color;
    setDirty();
}

void CParamDisplay::setBackColor(const CColor& color)
{
    backColor = color;
    setDirty();
}

void CParamDisplay::setFrameColor(const CColor& color)
{
    frameColor = color;
    setDirty();
}

void CParamDisplay::setTxtFace(long face)
{
    txtFace = face;
    setDirty();
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign align)
{
    horiAlign = align;
    setDirty();
}

void CParamDisplay::setStyle(long newStyle)
{
    style = newStyle;
    setDirty();
}

std::string CParamDisplay::getDisplayText() const
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", getValue());
    return text;
}

void CParamDisplay::draw(CDrawContext* context)
{
    drawWithBackground(context, background, getDisplayText());
}

void CParamDisplay::drawWithBackground(CDrawContext* context, CBitmap* bitmap,
                                       const std::string& text)
{
    if (bitmap)
        drawBitmap(bitmap, context, size);
    else
    {
        context->setFillColor(backColor);
        context->fillRect(size);
    }
    if (!(style & kNoFrame))
    {
        context->setFrameColor(frameColor);
        context->drawRect(size);
    }
    context->setFont(font, txtFace);
    context->setFontColor(fontColor);
    context->drawString(text.c_str(), size, horiAlign);
}
