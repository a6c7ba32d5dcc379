#include "editor/OutputScale.h"

#include "resources/PanelGeometry.h"

namespace
{
constexpr float kK12From = 0.125f;
constexpr float kK14From = 0.375f;
constexpr float kK20From = 0.625f;

constexpr OutputScaleLook looks[kOutputScaleCount] = {
    {bitmapId::stripPk, bitmapId::legendPk, 0.0f, 0.0f},
    {bitmapId::stripK12, bitmapId::legendK12, 12.0f, 0.25f},
    {bitmapId::stripK14, bitmapId::legendK14, 14.0f, 0.5f},
    {bitmapId::stripK20, bitmapId::legendK20, 20.0f, 0.75f},
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
    return looks[static_cast<int>(scale)];
}
