#include "vst3plugin/Vst3Parameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "parameters/Presets.h"
#include "parameters/UserUnitText.h"
#include "parameters/UserUnits.h"
#include "vst3plugin/Vst3Text.h"

namespace vst3_parameters
{
namespace
{
constexpr int kDefaultProgram = 0;
constexpr const char* kProgramTitle = "Program";

// The entry a normalised value selects among steps + 1 entries, as VST3 hosts count them.
int entryOf(double normalized, int steps)
{
    const double clamped = std::clamp(normalized, 0.0, 1.0);
    return std::min(steps, static_cast<int>(clamped * (steps + 1)));
}
} // namespace

std::int32_t stepCount(int index)
{
    const UserUnitInfo& unit = kUserUnits[index];
    if (unit.kind == ValueKind::toggled)
        return 1;
    if (unit.kind == ValueKind::enumeration)
        return unit.scalePointCount - 1;
    return 0;
}

float parameterValueOf(int index, double normalized)
{
    const int steps = stepCount(index);
    if (steps == 0)
        return static_cast<float>(std::clamp(normalized, 0.0, 1.0));
    return ::parameterValueOf(index, static_cast<float>(entryOf(normalized, steps)));
}

double normalizedOf(int index, float parameterValue)
{
    const int steps = stepCount(index);
    if (steps == 0)
        return std::clamp(static_cast<double>(parameterValue), 0.0, 1.0);
    const double entry =
        std::clamp(std::round(userValueOf(index, parameterValue)), 0.0, static_cast<double>(steps));
    return entry / steps;
}

int programOf(double normalized)
{
    return entryOf(normalized, kNumPrograms - 1);
}

double normalizedOfProgram(int program)
{
    return static_cast<double>(program) / (kNumPrograms - 1);
}

bool describe(std::int32_t position, vst3::ParameterInfo& info)
{
    if (position < 0 || position >= kParameterCount)
        return false;
    std::memset(&info, 0, sizeof info);
    info.unitId = vst3::kRootUnitId;
    if (position == kNumParams)
    {
        info.id = kProgramId;
        vst3_text::toUtf16(info.title, 128, kProgramTitle);
        vst3_text::toUtf16(info.shortTitle, 128, kProgramTitle);
        info.stepCount = kNumPrograms - 1;
        info.defaultNormalizedValue = normalizedOfProgram(kDefaultProgram);
        info.flags = vst3::kIsList | vst3::kIsProgramChange;
        return true;
    }
    const int index = position;
    info.id = static_cast<vst3::ParamID>(index);
    const std::string title = vst3_text::trimmedName(kParamNameTable[index]);
    vst3_text::toUtf16(info.title, 128, title);
    vst3_text::toUtf16(info.shortTitle, 128, title);
    vst3_text::toUtf16(info.units, 128, userUnitText(index));
    info.stepCount = stepCount(index);
    info.defaultNormalizedValue = normalizedOf(index, kPresetTable[kDefaultProgram][index]);
    info.flags = vst3::kCanAutomate;
    if (kUserUnits[index].kind == ValueKind::enumeration)
        info.flags |= vst3::kIsList;
    if (index == kBypass)
        info.flags |= vst3::kIsBypass;
    return true;
}
} // namespace vst3_parameters
