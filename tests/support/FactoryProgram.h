// A factory program as the plug-in hands it to the engine: every stored value of the program's
// row through the editions' one conversion (applyParameter), in parameter order as the effect
// applies a program, then any changes on top. Tests and benchmarks that claim to run "program n"
// run exactly what users run; a model of the engine with its setters takes the same arguments.
#pragma once

#include <vector>

#include "engine/LimiterEngine.h"
#include "parameters/EngineParameters.h"
#include "parameters/Parameters.h"
#include "parameters/Presets.h"

struct ParameterChange
{
    int index;
    float value; // as stored: normalised, or the menu position for "Dithering"
};

// "Dithering" menu position of 16-bit output.
constexpr float kDither16BitPosition = 4.0f;

template <typename Engine>
void applyFactoryProgram(Engine& engine, int program, const std::vector<ParameterChange>& changes = {})
{
    for (int index = 0; index < kNumParams; ++index)
        applyParameterTo(engine, index, kPresetTable[program][index]);
    for (const ParameterChange& change : changes)
        applyParameterTo(engine, change.index, change.value);
}
