#pragma once

#include <cstddef>

#include "parameters/Parameters.h"

// How each parameter shows as an LV2 control input: its symbol, its unit, and the conversions
// between the port value (in the unit a user reads) and the parameter value the VST edition
// stores. A port value reaches the engine as the parameter value it converts to, through the
// same conversion the VST edition applies, so equal settings give equal samples.
enum class PortScale
{
    // dB of the two-segment gain law, plus offsetDb.
    gainLawDb,
    // The parameter's display range: low + value * (high - low).
    displayRange,
    // The value itself (the word-length menu position).
    menuPosition,
};

enum class PortKind
{
    continuous,
    toggled,
    enumeration,
};

struct ControlPortInfo
{
    const char* symbol;
    // Suffix of the LV2 unit URI (units:db, units:ms, units:pc), or null for none.
    const char* unit;
    PortScale scale;
    PortKind kind;
    // The parameter value at the port's maximum; the minimum is at value 0.
    float topValue;
    // gainLawDb only: "Input drive" shows the drive the engine applies, the law's dB plus the
    // engine's x10 (+20 dB), so its port reads -52..+20 dB with 0 dB at unity.
    double offsetDb;
    // enumeration only: the label of each integer port value from 0.
    const char* const* scalePoints;
    int scalePointCount;
};

extern const ControlPortInfo kControlPorts[kNumParams];

// The port value of a parameter value, in double so a writer can choose its digits.
double portValueOf(int index, float parameterValue);
// The parameter value of a finite port value, held within the port's range. Any thread.
float parameterValueOf(int index, float portValue);
double portMinimum(int index);
double portMaximum(int index);
