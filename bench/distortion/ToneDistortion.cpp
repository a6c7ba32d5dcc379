// The distortion figures of the manual: writes a test tone, and measures the THD+N of a
// rendered tone (everything that is not the tone, relative to the whole signal).
//   varnholt_bench_tone tone OUTPUT.wav FREQUENCY_HZ PEAK_DBFS SECONDS
//   varnholt_bench_tone thdn INPUT.wav FREQUENCY_HZ
// The tone is a 32-bit float stereo WAV at 44.1 kHz, both channels alike. THD+N is read from
// the left channel after the limiter has settled: the tone at its exact frequency (with any
// offset) is fitted by least squares over whole periods and the rest is the distortion and
// noise; it prints "THD+N <percent> % (<dB> dB)".

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
constexpr int kStereoChannels = 2;
constexpr int kSampleRateHz = 44100;
constexpr double kPi = 3.14159265358979323846;
// The limiter's release and hysteresis settle within a second or two; the last half second
// is left out too, where the tone fades into the renderer's latency tail.
constexpr double kSettleSeconds = 3.0;
constexpr double kTailSeconds = 0.5;

int writeTone(const char* path, double frequencyHz, double peakDbfs, double seconds)
{
    SF_INFO info{};
    info.samplerate = kSampleRateHz;
    info.channels = kStereoChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path, SFM_WRITE, &info);
    if (file == nullptr)
    {
        std::fprintf(stderr, "cannot write %s: %s\n", path, sf_strerror(nullptr));
        return 1;
    }
    const double amplitude = std::pow(10.0, peakDbfs / 20.0);
    const auto frames = static_cast<std::size_t>(seconds * kSampleRateHz);
    std::vector<float> interleaved(kStereoChannels * frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double phase = 2.0 * kPi * frequencyHz * static_cast<double>(i) / kSampleRateHz;
        interleaved[2 * i] = interleaved[2 * i + 1] =
            static_cast<float>(amplitude * std::sin(phase));
    }
    const auto written = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return written == static_cast<sf_count_t>(frames) ? 0 : 1;
}

// Least squares of a·sin + b·cos + c over the window; sin and cos over whole periods are
// orthogonal to each other and to the offset, so each coefficient is a plain projection.
int measureThdPlusNoise(const char* path, double frequencyHz)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (file == nullptr)
    {
        std::fprintf(stderr, "cannot read %s: %s\n", path, sf_strerror(nullptr));
        return 1;
    }
    std::vector<double> interleaved(static_cast<std::size_t>(info.frames) * info.channels);
    sf_readf_double(file, interleaved.data(), info.frames);
    sf_close(file);

    const double periodFrames = info.samplerate / frequencyHz;
    const auto first = static_cast<std::size_t>(kSettleSeconds * info.samplerate);
    const double available =
        static_cast<double>(info.frames) - first - kTailSeconds * info.samplerate;
    if (available < periodFrames)
    {
        std::fprintf(stderr, "%s is too short to measure\n", path);
        return 1;
    }
    const auto count =
        static_cast<std::size_t>(std::floor(available / periodFrames) * periodFrames);
    double sinSum = 0.0, cosSum = 0.0, offset = 0.0;
    for (std::size_t i = first; i < first + count; ++i)
    {
        const double x = interleaved[i * info.channels];
        const double phase = 2.0 * kPi * frequencyHz * static_cast<double>(i) / info.samplerate;
        sinSum += x * std::sin(phase);
        cosSum += x * std::cos(phase);
        offset += x;
    }
    const double a = 2.0 * sinSum / count, b = 2.0 * cosSum / count, c = offset / count;
    double signalPower = 0.0, restPower = 0.0;
    for (std::size_t i = first; i < first + count; ++i)
    {
        const double x = interleaved[i * info.channels];
        const double phase = 2.0 * kPi * frequencyHz * static_cast<double>(i) / info.samplerate;
        const double rest = x - (a * std::sin(phase) + b * std::cos(phase) + c);
        signalPower += x * x;
        restPower += rest * rest;
    }
    const double ratio = std::sqrt(restPower / signalPower);
    std::printf("THD+N %.3f %% (%.1f dB)\n", 100.0 * ratio, 20.0 * std::log10(ratio));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "tone") == 0)
        return writeTone(argv[2], std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5]));
    if (argc == 4 && std::strcmp(argv[1], "thdn") == 0)
        return measureThdPlusNoise(argv[2], std::atof(argv[3]));
    std::fprintf(stderr,
                 "usage: %s tone OUTPUT.wav FREQUENCY_HZ PEAK_DBFS SECONDS\n"
                 "       %s thdn INPUT.wav FREQUENCY_HZ\n",
                 argv[0], argv[0]);
    return 2;
}
