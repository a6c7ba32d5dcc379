#include "editor/ScaleMenu.h"

#include "editor/LoudnessLayout.h"
#include "toolkit/ScaleFactor.h"

#include <cmath>
#include <cstdio>

namespace
{
constexpr double kPercent = 100.0;

long entryOfScale(double scale)
{
    return std::lround((nearestScaleFactor(scale) - kMinScaleFactor) / kScaleFactorStep);
}
} // namespace

ScaleMenu::ScaleMenu(const CRect& rect, CControlListener* controlListener, long controlTag,
                     double currentScale, bool panelShown)
    : COptionMenu(rect, controlListener, controlTag, nullptr, nullptr, kNoFrame)
{
    const long current = entryOfScale(currentScale);
    for (long entry = 0; entry < kScaleFactorCount; ++entry)
    {
        char text[16];
        std::snprintf(text, sizeof(text), "%s%ld %%", entry == current ? "\u2022 " : "   ",
                      std::lround(scaleOfEntry(entry) * kPercent));
        addEntry(text);
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%s%s", panelShown ? "\u2022 " : "   ",
                  loudness_layout::kPanelEntry);
    addEntry(text);
    setValue(static_cast<float>(current));
}

double ScaleMenu::scaleOfEntry(long index)
{
    return kMinScaleFactor + static_cast<double>(index) * kScaleFactorStep;
}

CMouseEventResult ScaleMenu::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kRButton))
        return kMouseEventNotHandled;
    openPopup();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void ScaleMenu::draw(CDrawContext*) {}
