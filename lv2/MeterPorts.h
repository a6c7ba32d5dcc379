#pragma once

#include "lv2/Lv2Ports.h"

// The meter outputs as hosts see them: in lv2_port::Meter order, the engine's readings with
// the range each reading spans.
struct MeterPortInfo
{
    const char* symbol;
    const char* name;
    // Suffix of the LV2 unit URI, or null for none.
    const char* unit;
    float minimum;
    float maximum;
};

constexpr MeterPortInfo kMeterPorts[lv2_port::kMeterCount] = {
    {"peak_left", "Peak left", "coef", 0.0f, 1.0f},
    {"peak_right", "Peak right", "coef", 0.0f, 1.0f},
    {"rms_left", "RMS left", "coef", 0.0f, 1.0f},
    {"rms_right", "RMS right", "coef", 0.0f, 1.0f},
    {"peak_hold_left", "Held peak left", "coef", 0.0f, 1.0f},
    {"peak_hold_right", "Held peak right", "coef", 0.0f, 1.0f},
    {"limiter_gain_left", "Limiter gain left", "coef", 0.0f, 1.0f},
    {"limiter_gain_right", "Limiter gain right", "coef", 0.0f, 1.0f},
    {"softclip_gain_left", "Softclip gain left", "coef", 0.0f, 1.0f},
    {"softclip_gain_right", "Softclip gain right", "coef", 0.0f, 1.0f},
    {"rms_gain", "RMS gain", "coef", 0.0f, 1.0f},
    // A correlation, and its shortfall below the threshold.
    {"correlation", "Correlation", nullptr, -1.0f, 1.0f},
    {"correlation_shortfall", "Correlation shortfall", nullptr, 0.0f, 2.0f},
};
