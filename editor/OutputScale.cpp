#include "editor/OutputScale.h"

#include "resources/PanelGeometry.h"

namespace
{
constexpr float kK12From = 0.125f;
constexpr float kK14From = 0.375f;
constexpr float kK20From = 0.625f;

constexpr OutputScaleLook kLooks[kOutputScaleCount] = {
    {bitmapId::kStripPk, bitmapId::kLegendPk, 0.0f, 0.0f},
    {bitmapId::kStripK12, bitmapId::kLegendK12, 12.0f, 0.25f},
    {bitmapId::kStripK14, bitmapId::kLegendK14, 14.0f, 0.5f},
    {bitmapId::kStripK20, bitmapId::kLegendK20, 20.0f, 0.75f},
};
} // namespace

OutputScale outputScaleFor(float parameterValue)
{
    if (parameterValue >= kK20From)
        return OutputScale::k20;
    if (parameterValue >= kK14From)
        return OutputScale::k14;
    if (parameterValue >= kK12From)
        return OutputScale::k12;
    return OutputScale::pk;
}

const OutputScaleLook& outputScaleLook(OutputScale scale)
{
    return kLooks[static_cast<int>(scale)];
}
