#include "toolkit/CVuMeter.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

CVuMeter::CVuMeter(const CRect& rect, CBitmap* lit, CBitmap* unlit, long segments, long meterStyle)
    : CControl(rect), nbLed(segments > 0 ? segments : 1), style(meterStyle)
{
    setOnBitmap(lit);
    setOffBitmap(unlit);
}

CVuMeter::~CVuMeter()
{
    replaceBitmap(onBitmap, nullptr);
    replaceBitmap(offBitmap, nullptr);
}

void CVuMeter::setOnBitmap(CBitmap* bitmap)
{
    replaceBitmap(onBitmap, bitmap);
    setDirty();
}

void CVuMeter::setOffBitmap(CBitmap* bitmap)
{
    replaceBitmap(offBitmap, bitmap);
    setDirty();
}

bool CVuMeter::isDirty() const
{
    return CControl::isDirty() || (onBitmap && getOldValue() != getValue());
}

void CVuMeter::setViewSize(const CRect& rect)
{
    offscreen.reset();
    CControl::setViewSize(rect);
}

void CVuMeter::advanceDisplayedValue()
{
    const float target = clampToRange(getValue());
    value.store(target, std::memory_order_relaxed);
    const float stepped = getOldValue() - fallStep;
    if (fallStep >= 0.0f)
        setOldValue(stepped > target ? stepped : target);
    else
        setOldValue(stepped < target ? stepped : target);
}

COffscreenContext* CVuMeter::getOffscreen()
{
    if (!offscreen)
        offscreen = std::make_unique<COffscreenContext>(size.width(), size.height());
    return offscreen.get();
}

void CVuMeter::drawBar(CDrawContext* context)
{
    CDrawContext* target = useOffscreen ? getOffscreen() : context;
    const long originX = useOffscreen ? 0 : size.left;
    const long originY = useOffscreen ? 0 : size.top;
    const long width = size.width();
    const long height = size.height();
    const float displayed = getOldValue();
    const float segments = static_cast<float>(nbLed);

    if (style & kHorizontal)
    {
        const long steps = static_cast<long>(displayed * segments + 0.5f);
        const long split =
            static_cast<long>(static_cast<float>(steps) / segments * onBitmap->getWidth());
        drawBitmap(onBitmap, target, CRect(originX, originY, originX + split, originY + height),
                   CPoint(0, 0));
        drawBitmap(offBitmap, target,
                   CRect(originX + split, originY, originX + width, originY + height),
                   CPoint(split, 0));
    }
    else
    {
        const long steps = static_cast<long>((1.0f - displayed) * segments + 0.5f);
        const long split =
            static_cast<long>(static_cast<float>(steps) / segments * onBitmap->getHeight());
        drawBitmap(offBitmap, target, CRect(originX, originY, originX + width, originY + split),
                   CPoint(0, 0));
        drawBitmap(onBitmap, target,
                   CRect(originX, originY + split, originX + width, originY + height),
                   CPoint(0, split));
    }
    if (useOffscreen)
        offscreen->copyFrom(context, size);
}

void CVuMeter::draw(CDrawContext* context)
{
    if (!onBitmap)
    {
        setDirty(false);
        return;
    }
    advanceDisplayedValue();
    drawBar(context);
    setDirty(false);
}
