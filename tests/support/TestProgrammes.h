// The test signal library's programmes for mastering: short generated music of different
// character (beside TestSignals.h's engine material), with the helpers that measure written
// files independently of the code under test (libebur128 directly).
#pragma once

#include <ebur128.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

enum class Character
{
    dense,   // a wall of chords and noise, little crest
    dynamic, // loud and quiet sections in turn
    speech,  // quiet syllable-like bursts with pauses
    peaky,   // a soft bed with isolated full-scale clicks
};

constexpr int kProgrammeRateHz = 44100;

inline std::vector<float> generateProgramme(Character character, double seconds,
                                            std::uint32_t seed = 1, double gainDb = 0.0)
{
    const std::size_t frames = static_cast<std::size_t>(seconds * kProgrammeRateHz);
    std::vector<float> samples(2 * frames);
    std::uint32_t state = seed * 2654435761u + 1;
    auto noise = [&]
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / (1 << 24) * 2.0 - 1.0;
    };
    const double gain = std::pow(10.0, gainDb / 20.0);
    const double twoPi = 6.283185307179586;
    double lowpassLeft = 0.0, lowpassRight = 0.0;
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        const double t = static_cast<double>(frame) / kProgrammeRateHz;
        double left = 0.0, right = 0.0;
        switch (character)
        {
        case Character::dense:
            left = 0.25 * std::sin(twoPi * 110.0 * t) + 0.2 * std::sin(twoPi * 277.0 * t) +
                   0.15 * noise();
            right = 0.25 * std::sin(twoPi * 165.0 * t) + 0.2 * std::sin(twoPi * 330.0 * t) +
                    0.15 * noise();
            break;
        case Character::dynamic:
        {
            const double section = std::fmod(t, 4.0) < 2.0 ? 0.7 : 0.08;
            left = section * (0.6 * std::sin(twoPi * 220.0 * t) + 0.3 * noise());
            right = section * (0.6 * std::sin(twoPi * 330.0 * t) + 0.3 * noise());
            break;
        }
        case Character::speech:
        {
            const double syllable = std::fmod(t, 0.25) < 0.15 && std::fmod(t, 2.0) < 1.5
                                        ? std::sin(twoPi * 4.0 * t) * std::sin(twoPi * 4.0 * t)
                                        : 0.0;
            lowpassLeft += 0.2 * (noise() - lowpassLeft);
            lowpassRight += 0.2 * (noise() - lowpassRight);
            const double voice =
                syllable * (0.15 * std::sin(twoPi * 180.0 * t) + 0.25 * lowpassLeft);
            left = voice;
            right = voice + 0.06 * syllable * lowpassRight;
            break;
        }
        case Character::peaky:
        {
            left = 0.03 * std::sin(twoPi * 440.0 * t) + 0.01 * noise();
            right = 0.03 * std::sin(twoPi * 550.0 * t) + 0.01 * noise();
            if (frame % kProgrammeRateHz == kProgrammeRateHz / 2)
                left = right = 0.95;
            break;
        }
        }
        samples[2 * frame] = static_cast<float>(gain * left);
        samples[2 * frame + 1] = static_cast<float>(gain * right);
    }
    return samples;
}

struct MeasuredFile
{
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;
    std::vector<float> samples;
};

// Reads a stereo file whole and measures it as libebur128 does.
inline MeasuredFile measureFile(const std::string& path)
{
    MeasuredFile measured;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return measured;
    measured.samples.resize(static_cast<std::size_t>(info.frames) * info.channels);
    sf_readf_float(file, measured.samples.data(), info.frames);
    sf_close(file);
    ebur128_state* state = ebur128_init(static_cast<unsigned>(info.channels),
                                        static_cast<unsigned long>(info.samplerate),
                                        EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_float(state, measured.samples.data(), static_cast<std::size_t>(info.frames));
    ebur128_loudness_global(state, &measured.integratedLufs);
    double peak = 0.0;
    for (unsigned channel = 0; channel < static_cast<unsigned>(info.channels); ++channel)
    {
        double channelPeak = 0.0;
        ebur128_true_peak(state, channel, &channelPeak);
        peak = std::max(peak, channelPeak);
    }
    measured.truePeakDbtp = 20.0 * std::log10(peak);
    ebur128_destroy(&state);
    return measured;
}
