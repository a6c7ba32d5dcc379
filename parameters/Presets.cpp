#include "parameters/Presets.h"

// Columns in ParamId order; rows 8 to 17 repeat row 0 and are free slots for the user.
// clang-format off
const float kPresetTable[kNumPrograms][kNumParams] = {
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.66f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.4f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.66f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.4f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.66f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 1.0f, 0.5f, 0.5f, 0.4f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.7f, 1.0f, 0.5f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.4f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.66f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.2f, 0.5f, 0.5f, 0.4f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.66f, 0.5f, 1.0f, 0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.2f, 0.5f, 0.5f, 0.4f, 0.0f, 0.0f},
    {1.0f, 0.25f, 0.0f, 0.66f, 0.7f, 1.0f, 0.5f, 0.5f, 0.4f, 0.5f, 0.5f, 0.1f, 0.5f, 0.5f, 0.3f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.52f, 0.5f, 1.0f, 0.0f, 0.5f, 0.4f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.7f, 0.0f, 0.0f},
};
// clang-format on

const char kProgramNameTable[kNumPrograms][kProgramNameSize] = {
    "Default                ", "+6dB (limiter only)    ", "+6dB (limiter+softclip)",
    "+6dB (softclip only)   ", "Widener                ", "Add warmth1            ",
    "Add warmth2            ", "Mix first aid          ", "Default                ",
    "Default                ", "Default                ", "Default                ",
    "Default                ", "Default                ", "Default                ",
    "Default                ", "Default                ", "Default                ",
};
