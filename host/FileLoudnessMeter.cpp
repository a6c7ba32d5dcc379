#include "host/FileLoudnessMeter.h"

#include "host/HostError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace
{
constexpr unsigned kChannels = 2;
constexpr double kSilenceDb = -std::numeric_limits<double>::infinity();
constexpr std::size_t kStepsPerShortTermWindow = 30; // 3 s of 100 ms steps
constexpr unsigned long kStepMilliseconds = 100;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kLoudnessOffsetLu = -0.691; // BS.1770's constant between energy and LUFS
// True peak is ours (8x); libebur128 keeps the rest.
constexpr int kMeasurements =
    EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_S | EBUR128_MODE_SAMPLE_PEAK;

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

ebur128_state* openMeasurement(int sampleRateHz)
{
    ebur128_state* state = nullptr;
    if (sampleRateHz >= kLowestMeasurableRateHz && sampleRateHz <= kHighestMeasurableRateHz)
        state = ebur128_init(kChannels, static_cast<unsigned long>(sampleRateHz), kMeasurements);
    if (state == nullptr)
    {
        throw HostError("cannot measure loudness at " + std::to_string(sampleRateHz) +
                        " Hz (the loudness meter measures " +
                        std::to_string(kLowestMeasurableRateHz) + " to " +
                        std::to_string(kHighestMeasurableRateHz) + " Hz)");
    }
    return state;
}
} // namespace

FileLoudnessMeter::FileLoudnessMeter(int sampleRateHz, float fullScaleMagnitude)
    : state(openMeasurement(sampleRateHz)), rateHz(sampleRateHz),
      // libebur128's own 100 ms, so that a step's window holds the step exactly.
      framesPerStep(static_cast<std::size_t>((sampleRateHz + 5) / 10)),
      fullScale(fullScaleMagnitude), maxShortTermLufs(kSilenceDb)
{
}

FileLoudnessMeter::~FileLoudnessMeter()
{
    ebur128_destroy(&state);
}

void FileLoudnessMeter::add(const float* interleavedStereo, std::size_t frames)
{
    framesAdded += static_cast<long long>(frames);
    while (frames > 0)
    {
        const std::size_t chunk = std::min(frames, framesPerStep - framesInStep);
        double sum = 0.0;
        std::uint64_t atFullScale = 0;
        for (std::size_t sample = 0; sample < chunk * kChannels; ++sample)
        {
            const float value = interleavedStereo[sample];
            sum += static_cast<double>(value) * value;
            atFullScale += std::fabs(value) >= fullScale ? 1 : 0;
        }
        squareSum += sum;
        samplesAtFullScale += atFullScale;
        ebur128_add_frames_float(state, interleavedStereo, chunk);
        truePeak.add(interleavedStereo, chunk);
        interleavedStereo += chunk * kChannels;
        frames -= chunk;
        framesInStep += chunk;
        if (framesInStep == framesPerStep)
            closeStep();
    }
}

void FileLoudnessMeter::finish()
{
    truePeak.finish();
    if (framesInStep > 0)
        closeStep();
    else if (!steps.truePeakDbtp.empty()) // the last points interpolated belong to the last step
        steps.truePeakDbtp.back() =
            std::max(steps.truePeakDbtp.back(), toDb(truePeak.takeStepPeak()));
    // A programme shorter than one window: its loudness as a whole is its loudest window.
    if (!std::isfinite(maxShortTermLufs) && framesAdded > 0 &&
        static_cast<std::size_t>(framesAdded) < kStepsPerShortTermWindow * framesPerStep)
    {
        double lufs = kSilenceDb;
        const auto milliseconds = static_cast<unsigned long>(
            std::ceil(static_cast<double>(framesAdded) * kMillisecondsPerSecond / rateHz));
        if (ebur128_loudness_window(state, milliseconds, &lufs) == EBUR128_SUCCESS &&
            std::isfinite(lufs))
            maxShortTermLufs = lufs;
    }
}

// The short-term loudness is the mean of the last thirty steps' energies: libebur128 would sum
// the whole 3 s window again at every step, which cost most of a render's time.
void FileLoudnessMeter::closeStep()
{
    double stepEnergy = 0.0;
    if (framesInStep == framesPerStep)
    {
        double stepLufs = kSilenceDb;
        if (ebur128_loudness_window(state, kStepMilliseconds, &stepLufs) == EBUR128_SUCCESS &&
            std::isfinite(stepLufs))
            stepEnergy = std::pow(10.0, (stepLufs - kLoudnessOffsetLu) / 10.0);
    }
    windowEnergySum += stepEnergy;
    stepEnergies.push_back(stepEnergy);
    if (stepEnergies.size() > kStepsPerShortTermWindow)
    {
        windowEnergySum -= stepEnergies.front();
        stepEnergies.pop_front();
    }
    // Before 3 s the window would hold silence that was never played.
    double shortTermLufs = kSilenceDb;
    const double meanEnergy = windowEnergySum / kStepsPerShortTermWindow;
    if (stepEnergies.size() == kStepsPerShortTermWindow && framesInStep == framesPerStep &&
        meanEnergy > 0.0)
        shortTermLufs = 10.0 * std::log10(meanEnergy) + kLoudnessOffsetLu;
    maxShortTermLufs = std::max(maxShortTermLufs, shortTermLufs);
    steps.shortTermLufs.push_back(shortTermLufs);
    steps.truePeakDbtp.push_back(toDb(truePeak.takeStepPeak()));
    steps.meanSquare.push_back(squareSum / static_cast<double>(framesInStep * kChannels));
    squareSum = 0.0;
    framesInStep = 0;
}

FileLoudnessFigures FileLoudnessMeter::figures() const
{
    FileLoudnessFigures result{};
    if (ebur128_loudness_global(state, &result.integratedLufs) != EBUR128_SUCCESS ||
        !std::isfinite(result.integratedLufs))
        result.integratedLufs = kSilenceDb;
    if (ebur128_loudness_range(state, &result.loudnessRangeLu) != EBUR128_SUCCESS ||
        !std::isfinite(result.loudnessRangeLu))
        result.loudnessRangeLu = 0.0;
    result.maxShortTermLufs = maxShortTermLufs;
    result.samplePeakDbfs = toDb(loudestChannel(state, ebur128_sample_peak));
    result.truePeakDbtp = toDb(truePeak.peak());
    result.samplesAtFullScale = samplesAtFullScale;
    return result;
}

double FileLoudnessMeter::albumLoudnessLufs(const std::vector<const FileLoudnessMeter*>& tracks)
{
    std::vector<ebur128_state*> states;
    for (const FileLoudnessMeter* track : tracks)
        states.push_back(track->state);
    double lufs = kSilenceDb;
    if (ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) != EBUR128_SUCCESS ||
        !std::isfinite(lufs))
        return kSilenceDb;
    return lufs;
}
