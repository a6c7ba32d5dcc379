// One program: a value per parameter, a name, and the parameter texts the host asks for.
#pragma once

#include <atomic>

#include "parameters/Parameters.h"
#include "parameters/Presets.h"
#include "vst/VstAbi.h"

static_assert(kProgramNameSize == kVstMaxProgNameLen, "program names fill the host's field");

class LimiterProgram
{
  public:
    // Row 0 of the factory table, named "Default". Constructed with the effect, on the thread
    // that loads the plug-in.
    LimiterProgram();
    virtual ~LimiterProgram() = default;

    LimiterProgram(const LimiterProgram&) = delete;
    LimiterProgram& operator=(const LimiterProgram&) = delete;

    // Takes values and name from factory row i; any other i changes nothing. Construction only.
    void loadPreset(int i);

    // Stored as received, unclamped. Written and read from the audio, host GUI and editor
    // threads, hence one relaxed atomic per value.
    std::atomic<float> values[kNumParams];
    char name[kProgramNameSize];
    char paramNames[kNumParams][kParamNameSize];
    char paramLabels[kNumParams][kParamNameSize];
};
