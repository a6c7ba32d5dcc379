#include "host/StereoLoudnessState.h"

#include "host/HostError.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace stereo_loudness
{
ebur128_state* openMeasurement(int sampleRateHz)
{
    ebur128_state* state = ebur128_init(kChannels, static_cast<unsigned long>(sampleRateHz),
                                        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_S |
                                            EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK);
    if (state == nullptr)
        throw HostError("cannot measure loudness at " + std::to_string(sampleRateHz) + " Hz");
    return state;
}

double toDb(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : kSilenceDb;
}

double loudestChannel(ebur128_state* state, int (*query)(ebur128_state*, unsigned int, double*))
{
    double maxLevel = 0.0;
    for (unsigned channel = 0; channel < kChannels; ++channel)
    {
        double level = 0.0;
        query(state, channel, &level);
        maxLevel = std::max(maxLevel, level);
    }
    return maxLevel;
}

LoudnessFigures figures(ebur128_state* state, double maxShortTermLufs,
                        std::uint64_t samplesAtFullScale)
{
    LoudnessFigures result{};
    if (ebur128_loudness_global(state, &result.integratedLufs) != EBUR128_SUCCESS)
        result.integratedLufs = kSilenceDb;
    if (ebur128_loudness_range(state, &result.loudnessRangeLu) != EBUR128_SUCCESS)
        result.loudnessRangeLu = 0.0;
    result.maxShortTermLufs = maxShortTermLufs;
    result.samplePeakDbfs = toDb(loudestChannel(state, ebur128_sample_peak));
    result.truePeakDbtp = toDb(loudestChannel(state, ebur128_true_peak));
    result.samplesAtFullScale = samplesAtFullScale;
    return result;
}
} // namespace stereo_loudness
