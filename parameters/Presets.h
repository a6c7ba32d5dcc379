// The factory programs: one row of stored parameter values and one name per program.
#pragma once

#include <cstddef>

#include "parameters/Parameters.h"

// Program names are 23 characters plus the terminator (the VST 2.4 program name size).
constexpr std::size_t kProgramNameSize = 24;

extern const float kPresetTable[kNumPrograms][kNumParams];
extern const char kProgramNameTable[kNumPrograms][kProgramNameSize];
