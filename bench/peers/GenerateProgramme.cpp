// Writes a programme for the peer comparison as a 32-bit float stereo WAV:
//   varnholt_bench_programme OUTPUT.wav SECONDS SAMPLE_RATE_HZ [demo|quiet]
// demo: the host's demo mix (peaks at -1 dBFS), repeated to the requested length. quiet:
// acoustic-like material, plucked strings ringing out, whose peaks stay at -12 dBFS, so the
// limiters under comparison have nothing to limit.

#include "host/AudioFile.h"
#include "host/DemoSynth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

namespace
{
constexpr int kStereoChannels = 2;
constexpr double kPi = 3.14159265358979323846;
constexpr double kQuietPeakDbfs = -12.0;
constexpr double kPluckSeconds = 0.45;
constexpr int kHarmonics = 8;
// An open-G figure, as MIDI notes, plucked in turn.
constexpr int kNotes[] = {43, 50, 55, 59, 62, 59, 55, 50};

double noteHz(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// Plucked strings: each note's harmonics decay, the higher ones faster, and keep ringing under
// the next notes; each string sits at its own place between the speakers.
std::vector<float> synthesiseQuiet(int sampleRateHz, std::size_t frames)
{
    std::vector<float> interleaved(kStereoChannels * frames);
    std::vector<double> left(frames), right(frames);
    const std::size_t pluckFrames = static_cast<std::size_t>(kPluckSeconds * sampleRateHz);
    const std::size_t ringFrames = 4 * pluckFrames;
    constexpr int noteCount = sizeof kNotes / sizeof kNotes[0];
    for (std::size_t start = 0, n = 0; start < frames; start += pluckFrames, ++n)
    {
        const double hz = noteHz(kNotes[n % noteCount]);
        const double pan = 0.5 + 0.35 * std::sin(static_cast<double>(n) * 1.7);
        const double velocity = 0.7 + 0.3 * std::sin(static_cast<double>(n) * 0.9);
        for (std::size_t i = 0; i < ringFrames && start + i < frames; ++i)
        {
            const double t = static_cast<double>(i) / sampleRateHz;
            double sample = 0.0;
            for (int h = 1; h <= kHarmonics; ++h)
            {
                const double decayPerSecond = 2.0 + 1.5 * h;
                sample += std::exp(-decayPerSecond * t) * std::sin(2.0 * kPi * hz * h * t) / h;
            }
            left[start + i] += velocity * (1.0 - pan) * sample;
            right[start + i] += velocity * pan * sample;
        }
    }
    double peak = 0.0;
    for (std::size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    const double gain = std::pow(10.0, kQuietPeakDbfs / 20.0) / peak;
    for (std::size_t i = 0; i < frames; ++i)
    {
        interleaved[kStereoChannels * i] = static_cast<float>(gain * left[i]);
        interleaved[kStereoChannels * i + 1] = static_cast<float>(gain * right[i]);
    }
    return interleaved;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5)
    {
        std::fprintf(stderr, "usage: %s OUTPUT.wav SECONDS SAMPLE_RATE_HZ [demo|quiet]\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const int sampleRateHz = std::atoi(argv[3]);
    const bool quiet = argc == 5 && std::strcmp(argv[4], "quiet") == 0;
    if (seconds <= 0.0 || sampleRateHz <= 0 ||
        (argc == 5 && !quiet && std::strcmp(argv[4], "demo") != 0))
    {
        std::fprintf(stderr,
                     "%s: SECONDS and SAMPLE_RATE_HZ must be positive, the kind demo or quiet\n",
                     argv[0]);
        return 2;
    }
    try
    {
        const std::size_t totalFrames = static_cast<std::size_t>(seconds * sampleRateHz);
        const std::vector<float> source =
            quiet ? synthesiseQuiet(sampleRateHz, totalFrames) : synthesiseDemo(sampleRateHz);
        const std::size_t sourceFrames = source.size() / kStereoChannels;
        AudioWriter writer(argv[1], SF_FORMAT_WAV | SF_FORMAT_FLOAT, sampleRateHz);
        std::size_t framesLeft = totalFrames;
        while (framesLeft > 0)
        {
            const std::size_t frames = std::min(framesLeft, sourceFrames);
            writer.write(source.data(), frames);
            framesLeft -= frames;
        }
        writer.commit();
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
