#pragma once

#include <cstddef>

#include "parameters/Parameters.h"

// Each parameter in the units a user reads (dB of the gain actually applied, ms, %, menu entries,
// on/off): its symbol, its unit, and the conversions between that user value and the stored
// parameter value. The LV2 edition's ports, the newer editions' display texts and the renderer's
// settings all speak these units; a user value reaches the engine as the parameter value it
// converts to, through the one conversion every edition applies, so equal settings give equal
// samples.
enum class UnitScale
{
    // dB of the two-segment gain law, plus offsetDb.
    gainLawDb,
    // The parameter's display range: low + value * (high - low).
    displayRange,
    // The value itself (the word-length menu position).
    menuPosition,
};

enum class ValueKind
{
    continuous,
    toggled,
    enumeration,
};

struct UserUnitInfo
{
    const char* symbol;
    // Suffix of the LV2 unit URI (units:db, units:ms, units:pc), or null for none.
    const char* unit;
    UnitScale scale;
    ValueKind kind;
    // The parameter value at the user range's maximum; the minimum is at value 0.
    float topValue;
    // gainLawDb only: "Input drive" shows the drive the engine applies, the law's dB plus its
    // x10 (+20 dB), so it reads -52..+20 dB with 0 dB at unity.
    double offsetDb;
    // enumeration only: the label of each integer user value from 0.
    const char* const* scalePoints;
    int scalePointCount;
};

extern const UserUnitInfo kUserUnits[kNumParams];

// The user value of a parameter value, in double so a writer can choose its digits.
double userValueOf(int index, float parameterValue);
// The parameter value of a finite user value, held within the user range. A toggle is on above
// zero, as LV2 defines it. Any thread.
float parameterValueOf(int index, float userValue);
double userMinimum(int index);
double userMaximum(int index);
