// The 17 parameters and the program selector as VST3 parameters: ids, normalised values, step
// counts and the plain values hosts show. A parameter's id is its ParamId index. Continuous
// parameters carry the shared stored value as their normalised value, so an edition's equal
// settings render equal samples; toggles and menus step through their entries.
#pragma once

#include "parameters/Parameters.h"
#include "vst3/Vst3Controller.h"

namespace vst3_parameters
{
// Beyond the 17 so that the parameter ids stay the ParamId indices.
constexpr vst3::ParamID kProgramId = 1000;
constexpr std::int32_t kProgramListId = 1;
// The 17 and the program selector.
constexpr std::int32_t kParameterCount = kNumParams + 1;

constexpr bool isParameterId(vst3::ParamID id)
{
    return id < static_cast<vst3::ParamID>(kNumParams);
}

// 0 for continuous parameters, 1 for toggles, the entries less one for menus. Any thread.
std::int32_t stepCount(int index);
// The stored parameter value of a normalised value, held within 0..1 first. The caller has
// rejected NaN. Any thread: the audio thread applies host changes through it.
float parameterValueOf(int index, double normalized);
// The normalised value of a stored parameter value. Any thread.
double normalizedOf(int index, float parameterValue);

int programOf(double normalized);
double normalizedOfProgram(int program);

// The host's parameter record for list position 0..17 (the program selector last). False for
// any other position. Host GUI thread.
bool describe(std::int32_t position, vst3::ParameterInfo& info);
} // namespace vst3_parameters
