#pragma once

#include "engine/LoudnessConstants.h"
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

// The loudness ports' tops: far above any output of the engine, which never exceeds full scale
// (a full-scale square wave reads about +3 LUFS, its true peak 0 dBTP).
constexpr float kHighestLufs = 10.0f;
constexpr float kHighestRangeLu = 100.0f;
constexpr float kHighestTruePeakDb = 12.0f;

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
    // Loudness in LUFS (LV2 has no such unit), the range in LU, the true peak in dB; the
    // lowest value when nothing was measured.
    {"momentary_lufs", "Momentary loudness", nullptr, loudness_constants::kSilenceLufs,
     kHighestLufs},
    {"short_term_lufs", "Short-term loudness", nullptr, loudness_constants::kSilenceLufs,
     kHighestLufs},
    {"integrated_lufs", "Integrated loudness", nullptr, loudness_constants::kSilenceLufs,
     kHighestLufs},
    {"loudness_range_lu", "Loudness range", nullptr, 0.0f, kHighestRangeLu},
    {"true_peak_dbtp", "True peak", "db", loudness_constants::kSilenceLufs, kHighestTruePeakDb},
};
