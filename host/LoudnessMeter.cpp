#include "host/LoudnessMeter.h"

#include "host/HostError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr unsigned kStereoChannels = 2;
constexpr double kShortTermStepSeconds = 0.1; // the refresh rate R 128 asks of a short-term meter
constexpr double kSilenceDb = -std::numeric_limits<double>::infinity();

double toDb(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : kSilenceDb;
}

double channelMax(ebur128_state* state, int (*query)(ebur128_state*, unsigned int, double*))
{
    double maxLevel = 0.0;
    for (unsigned channel = 0; channel < kStereoChannels; ++channel)
    {
        double level = 0.0;
        query(state, channel, &level);
        maxLevel = std::max(maxLevel, level);
    }
    return maxLevel;
}
} // namespace

LoudnessMeter::LoudnessMeter(int sampleRateHz, float fullScaleMagnitude)
    : state(ebur128_init(kStereoChannels, static_cast<unsigned long>(sampleRateHz),
                         EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_S |
                             EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK)),
      framesPerShortTermStep(
          std::max<std::size_t>(1, static_cast<std::size_t>(sampleRateHz * kShortTermStepSeconds))),
      framesToNextStep(framesPerShortTermStep), maxShortTermLufs(kSilenceDb),
      fullScale(fullScaleMagnitude)
{
    if (state == nullptr)
        throw HostError("cannot measure loudness at " + std::to_string(sampleRateHz) + " Hz");
}

LoudnessMeter::~LoudnessMeter()
{
    ebur128_destroy(&state);
}

void LoudnessMeter::add(const float* interleavedStereo, std::size_t frames)
{
    samplesAtFullScale +=
        std::count_if(interleavedStereo, interleavedStereo + frames * kStereoChannels,
                      [this](float sample) { return std::fabs(sample) >= fullScale; });
    while (frames > 0)
    {
        const std::size_t chunk = std::min(frames, framesToNextStep);
        ebur128_add_frames_float(state, interleavedStereo, chunk);
        interleavedStereo += chunk * kStereoChannels;
        frames -= chunk;
        framesToNextStep -= chunk;
        if (framesToNextStep == 0)
        {
            double shortTermLufs = kSilenceDb;
            if (ebur128_loudness_shortterm(state, &shortTermLufs) == EBUR128_SUCCESS)
                maxShortTermLufs = std::max(maxShortTermLufs, shortTermLufs);
            framesToNextStep = framesPerShortTermStep;
        }
    }
}

LoudnessFigures LoudnessMeter::figures() const
{
    LoudnessFigures result{};
    if (ebur128_loudness_global(state, &result.integratedLufs) != EBUR128_SUCCESS)
        result.integratedLufs = kSilenceDb;
    if (ebur128_loudness_range(state, &result.loudnessRangeLu) != EBUR128_SUCCESS)
        result.loudnessRangeLu = 0.0;
    result.maxShortTermLufs = maxShortTermLufs;
    result.samplePeakDbfs = toDb(channelMax(state, ebur128_sample_peak));
    result.truePeakDbtp = toDb(channelMax(state, ebur128_true_peak));
    result.samplesAtFullScale = samplesAtFullScale;
    return result;
}
