#include "host/ProgrammeMeter.h"

#include "host/HostError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace
{
constexpr unsigned kStereoChannels = 2;
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

ProgrammeMeter::ProgrammeMeter(int sampleRateHz, float fullScaleMagnitude)
    : state(ebur128_init(kStereoChannels, static_cast<unsigned long>(sampleRateHz),
                         EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_S |
                             EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK)),
      framesPerStep(std::max<std::size_t>(
          1, static_cast<std::size_t>(sampleRateHz * LoudnessTrace::kStepSeconds))),
      fullScale(fullScaleMagnitude)
{
    if (state == nullptr)
        throw HostError("cannot measure loudness at " + std::to_string(sampleRateHz) + " Hz");
}

ProgrammeMeter::~ProgrammeMeter()
{
    ebur128_destroy(&state);
}

void ProgrammeMeter::add(const float* interleavedStereo, std::size_t frames)
{
    while (frames > 0)
    {
        const std::size_t chunk = std::min(frames, framesPerStep - framesInStep);
        for (std::size_t sample = 0; sample < chunk * kStereoChannels; ++sample)
        {
            const float value = interleavedStereo[sample];
            squareSum += static_cast<double>(value) * value;
            samplesAtFullScale += std::fabs(value) >= fullScale ? 1 : 0;
        }
        ebur128_add_frames_float(state, interleavedStereo, chunk);
        stepTruePeak = std::max(stepTruePeak, channelMax(state, ebur128_prev_true_peak));
        interleavedStereo += chunk * kStereoChannels;
        frames -= chunk;
        framesInStep += chunk;
        if (framesInStep == framesPerStep)
            closeStep();
    }
}

void ProgrammeMeter::finish()
{
    if (framesInStep > 0)
        closeStep();
}

void ProgrammeMeter::closeStep()
{
    double shortTermLufs = kSilenceDb;
    if (ebur128_loudness_shortterm(state, &shortTermLufs) != EBUR128_SUCCESS)
        shortTermLufs = kSilenceDb;
    steps.shortTermLufs.push_back(shortTermLufs);
    steps.truePeakDbtp.push_back(toDb(stepTruePeak));
    stepTruePeak = 0.0;
    steps.meanSquare.push_back(squareSum / static_cast<double>(framesInStep * kStereoChannels));
    squareSum = 0.0;
    framesInStep = 0;
}

LoudnessFigures ProgrammeMeter::figures() const
{
    LoudnessFigures result{};
    if (ebur128_loudness_global(state, &result.integratedLufs) != EBUR128_SUCCESS)
        result.integratedLufs = kSilenceDb;
    if (ebur128_loudness_range(state, &result.loudnessRangeLu) != EBUR128_SUCCESS)
        result.loudnessRangeLu = 0.0;
    result.maxShortTermLufs = kSilenceDb;
    for (double lufs : steps.shortTermLufs)
        result.maxShortTermLufs = std::max(result.maxShortTermLufs, lufs);
    result.samplePeakDbfs = toDb(channelMax(state, ebur128_sample_peak));
    result.truePeakDbtp = toDb(channelMax(state, ebur128_true_peak));
    result.samplesAtFullScale = samplesAtFullScale;
    return result;
}

double ProgrammeMeter::albumLoudnessLufs(const std::vector<ProgrammeMeter*>& tracks)
{
    std::vector<ebur128_state*> states;
    for (ProgrammeMeter* track : tracks)
        states.push_back(track->state);
    double lufs = kSilenceDb;
    if (ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) != EBUR128_SUCCESS)
        return kSilenceDb;
    return lufs;
}
