// The factory programs: one row of stored parameter values and one name per program.
#pragma once

#include <cstddef>

#include "plugin/Parameters.h"

// Program names are 23 characters plus the terminator, the interface's program name size.
constexpr std::size_t programNameSize = kVstMaxProgNameLen;

extern const float presetTable[kNumPrograms][kNumParams];
extern const char programNameTable[kNumPrograms][programNameSize];
