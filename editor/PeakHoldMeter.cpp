#include "editor/PeakHoldMeter.h"

#include "toolkit/CBitmap.h"

#include <cmath>

namespace
{
// A value that is not a number would make the bar's pixel arithmetic undefined: it reads as an
// empty meter instead.
float finiteOrZero(float value)
{
    return std::isnan(value) ? 0.0f : value;
}
} // namespace

PeakHoldMeter::PeakHoldMeter(const CRect& rect, CBitmap* lit, CBitmap* unlit, long segments,
                             long meterStyle)
    : CVuMeter(rect, lit, unlit, segments, meterStyle)
{
}

void PeakHoldMeter::setValue(float newValue)
{
    CVuMeter::setValue(finiteOrZero(valueMapper(newValue)));
    setDirty();
}

void PeakHoldMeter::setPeak(float newPeak)
{
    const float mapped = finiteOrZero(valueMapper(newPeak));
    peak = mapped > 1.0f ? 1.0f : (mapped < 0.0f ? 0.0f : mapped);
    setDirty();
}

void PeakHoldMeter::setValueMapper(ValueMapper mapper)
{
    if (mapper)
        valueMapper = mapper;
}

void PeakHoldMeter::draw(CDrawContext* context)
{
    if (!onBitmap)
    {
        setDirty(false);
        return;
    }
    advanceDisplayedValue();
    drawBar(context);
    drawPeakMarker(context);
    setDirty(false);
}

void PeakHoldMeter::drawPeakMarker(CDrawContext* context)
{
    if (!onBitmap || peak == 0.0f)
        return;
    const float segments = static_cast<float>(nbLed);
    if (style & kHorizontal)
    {
        const long stripWidth = onBitmap->getWidth();
        const long step = stripWidth / nbLed;
        const long x = static_cast<long>((peak * segments + 0.5f) * stripWidth / segments);
        onBitmap->draw(context, CRect(size.left + x - step, size.top, size.left + x, size.bottom),
                       CPoint(x - step, 0));
        return;
    }
    const long stripHeight = onBitmap->getHeight();
    const long step = stripHeight / nbLed;
    // The step count is not made whole first, unlike the bar's split.
    const long y = static_cast<long>(((1.0f - peak) * segments + 0.5f) * stripHeight / segments);
    onBitmap->draw(context, CRect(size.left, size.top + y, size.right, size.top + y + step),
                   CPoint(0, y));
}
