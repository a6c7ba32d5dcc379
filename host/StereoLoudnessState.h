// The libebur128 measurement both loudness meters keep of a stereo stream: integrated loudness,
// range, short-term loudness, sample and true peaks.
#pragma once

#include "host/LoudnessMeter.h"

#include <ebur128.h>

#include <cstdint>
#include <limits>

namespace stereo_loudness
{
constexpr unsigned kChannels = 2;
constexpr double kSilenceDb = -std::numeric_limits<double>::infinity();

// Throws HostError when libebur128 refuses the rate.
ebur128_state* openMeasurement(int sampleRateHz);

double toDb(double level);
// The larger of the two channels' values of a per-channel query, linear.
double loudestChannel(ebur128_state* state,
                      int (*query)(ebur128_state*, unsigned int, double*));
// The whole stream's figures; the short-term maximum and the full-scale count are the meter's.
LoudnessFigures figures(ebur128_state* state, double maxShortTermLufs,
                        std::uint64_t samplesAtFullScale);
} // namespace stereo_loudness
