// The loudness measurement against libebur128 on generated programmes, and against the EBU
// Tech 3341 and 3342 test signals (generated here) within their stated tolerances.
#include "engine/LoudnessMeter.h"
#include "engine/TruePeakMeter.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
constexpr double kTwoPi = 6.283185307179586;

struct Stereo
{
    std::vector<float> left;
    std::vector<float> right;
    void append(float l, float r)
    {
        left.push_back(l);
        right.push_back(r);
    }
    int frames() const { return static_cast<int>(left.size()); }
};

// Music-like material: sines and noise under a level that wanders between about -38 and -8 dB
// over sections of a few seconds, with short bursts, different on each channel.
Stereo programme(double seconds, double rateHz, std::uint32_t seed)
{
    Stereo out;
    const auto frames = static_cast<int>(seconds * rateHz);
    std::uint32_t noise = seed;
    for (int i = 0; i < frames; ++i)
    {
        const double t = i / rateHz;
        noise = noise * 1664525u + 1013904223u;
        const double grain = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
        const double levelDb =
            -23.0 + 12.0 * std::sin(kTwoPi * t / 17.0) + 3.0 * std::sin(kTwoPi * t / 3.1 + seed);
        const double burst = std::fmod(t, 7.0) < 0.15 ? 4.0 : 1.0;
        const double gain = burst * std::pow(10.0, levelDb / 20.0);
        const double tone = 0.5 * std::sin(kTwoPi * 110.0 * t) +
                            0.3 * std::sin(kTwoPi * 1250.0 * t) +
                            0.2 * std::sin(kTwoPi * 7900.0 * t + 0.3);
        out.append(static_cast<float>(gain * (tone + 0.4 * grain)),
                   static_cast<float>(gain * (0.8 * tone - 0.5 * grain)));
    }
    return out;
}

// A stereo sine of the same level on both channels, in dBFS of its peak.
void appendSine(Stereo& out, double frequencyHz, double levelDb, double seconds, double rateHz)
{
    const double amplitude = std::pow(10.0, levelDb / 20.0);
    const auto frames = static_cast<int>(std::lround(seconds * rateHz));
    const int start = out.frames();
    for (int i = 0; i < frames; ++i)
    {
        const auto sample =
            static_cast<float>(amplitude * std::sin(kTwoPi * frequencyHz * (start + i) / rateHz));
        out.append(sample, sample);
    }
}

struct Reference
{
    double momentary, shortTerm, integrated, range, truePeakDb;
};

Reference libebur128(const Stereo& signal, double rateHz)
{
    ebur128_state* state = ebur128_init(2, static_cast<unsigned long>(rateHz),
                                        EBUR128_MODE_M | EBUR128_MODE_S | EBUR128_MODE_I |
                                            EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
    std::vector<float> interleaved;
    for (int i = 0; i < signal.frames(); ++i)
    {
        interleaved.push_back(signal.left[i]);
        interleaved.push_back(signal.right[i]);
    }
    ebur128_add_frames_float(state, interleaved.data(), static_cast<std::size_t>(signal.frames()));
    Reference reference{};
    ebur128_loudness_momentary(state, &reference.momentary);
    ebur128_loudness_shortterm(state, &reference.shortTerm);
    ebur128_loudness_global(state, &reference.integrated);
    ebur128_loudness_range(state, &reference.range);
    double peakLeft = 0.0;
    double peakRight = 0.0;
    ebur128_true_peak(state, 0, &peakLeft);
    ebur128_true_peak(state, 1, &peakRight);
    reference.truePeakDb = 20.0 * std::log10(std::max(peakLeft, peakRight));
    ebur128_destroy(&state);
    return reference;
}

LoudnessFigures measure(const Stereo& signal, double rateHz)
{
    LoudnessMeter meter;
    meter.setSampleRate(rateHz);
    // In uneven pieces, as hosts hand blocks over.
    constexpr int kPieces[] = {1, 37, 512, 4096, 100};
    int done = 0;
    for (int piece = 0; done < signal.frames(); piece = (piece + 1) % 5)
    {
        const int count = std::min(kPieces[piece], signal.frames() - done);
        meter.process(signal.left.data() + done, signal.right.data() + done, count);
        done += count;
    }
    return meter.figures();
}

class AgainstLibebur128 : public ::testing::TestWithParam<double>
{
};

TEST_P(AgainstLibebur128, AgreesOnEveryFigure)
{
    const double rateHz = GetParam();
    const Stereo signal = programme(75.0, rateHz, 7u);
    const Reference reference = libebur128(signal, rateHz);
    const LoudnessFigures figures = measure(signal, rateHz);
    EXPECT_NEAR(figures.momentaryLufs, reference.momentary, 0.01);
    EXPECT_NEAR(figures.shortTermLufs, reference.shortTerm, 0.01);
    EXPECT_NEAR(figures.integratedLufs, reference.integrated, 0.1);
    EXPECT_NEAR(figures.rangeLu, reference.range, 0.1);
    EXPECT_NEAR(figures.truePeakDbtp, reference.truePeakDb, 0.1);
    // Not trivially quiet or flat: the figures mean something.
    EXPECT_GT(figures.rangeLu, 5.0f);
    EXPECT_GT(figures.integratedLufs, -40.0f);
}

INSTANTIATE_TEST_SUITE_P(Rates, AgainstLibebur128, ::testing::Values(44100.0, 48000.0, 96000.0));

// EBU Tech 3341, cases 1 to 5: stereo 1 kHz tones, integrated loudness within +-0.1 LU;
// cases 1 and 2 also momentary and short-term.
TEST(Tech3341, StatedTonesReadTheirLoudness)
{
    constexpr double rateHz = 48000.0;
    for (const double level : {-23.0, -33.0})
    {
        Stereo tone;
        appendSine(tone, 1000.0, level, 20.0, rateHz);
        const LoudnessFigures figures = measure(tone, rateHz);
        EXPECT_NEAR(figures.momentaryLufs, level, 0.1);
        EXPECT_NEAR(figures.shortTermLufs, level, 0.1);
        EXPECT_NEAR(figures.integratedLufs, level, 0.1);
    }
    struct Case
    {
        std::vector<std::pair<double, double>> sections; // level dBFS, seconds
    };
    const Case cases[] = {
        {{{-36.0, 10.0}, {-23.0, 60.0}, {-36.0, 10.0}}},
        {{{-72.0, 10.0}, {-36.0, 10.0}, {-23.0, 60.0}, {-36.0, 10.0}, {-72.0, 10.0}}},
        {{{-26.0, 20.0}, {-20.0, 20.1}, {-26.0, 20.0}}},
    };
    for (const Case& test : cases)
    {
        Stereo signal;
        for (const auto& [level, seconds] : test.sections)
            appendSine(signal, 1000.0, level, seconds, rateHz);
        EXPECT_NEAR(measure(signal, rateHz).integratedLufs, -23.0, 0.1);
    }
}

// EBU Tech 3341's true-peak signals: a sine at a quarter of the rate whose samples miss its
// crests, and one at a third; the true peak within +0.2 / -0.4 dB of the crest, at 44.1 and
// 48 kHz.
TEST(Tech3341, TruePeakFindsTheCrestBetweenSamples)
{
    for (const double rateHz : {44100.0, 48000.0})
    {
        for (const double fraction : {0.25, 1.0 / 3.0})
        {
            for (const double phaseDegrees : {45.0, 60.0, 30.0})
            {
                const double crestDb = -6.0;
                const double amplitude = std::pow(10.0, crestDb / 20.0);
                Stereo signal;
                for (int i = 0; i < static_cast<int>(rateHz); ++i)
                {
                    const auto sample =
                        static_cast<float>(amplitude * std::sin(kTwoPi * fraction * i +
                                                                phaseDegrees / 57.29577951308232));
                    signal.append(sample, -sample);
                }
                const float truePeak = measure(signal, rateHz).truePeakDbtp;
                EXPECT_LE(truePeak, crestDb + 0.2)
                    << rateHz << " " << fraction << " " << phaseDegrees;
                EXPECT_GE(truePeak, crestDb - 0.4)
                    << rateHz << " " << fraction << " " << phaseDegrees;
            }
        }
    }
}

// EBU Tech 3342, cases 1 to 4: stereo 1 kHz tones in sections of 20 s; the range within +-1 LU.
TEST(Tech3342, StatedSequencesReadTheirRange)
{
    constexpr double rateHz = 48000.0;
    const struct
    {
        std::vector<double> levels;
        double range;
    } cases[] = {
        {{-20.0, -30.0}, 10.0},
        {{-20.0, -15.0}, 5.0},
        {{-40.0, -20.0}, 20.0},
        {{-50.0, -35.0, -20.0, -35.0, -50.0}, 15.0},
    };
    for (const auto& test : cases)
    {
        Stereo signal;
        for (const double level : test.levels)
            appendSine(signal, 1000.0, level, 20.0, rateHz);
        EXPECT_NEAR(measure(signal, rateHz).rangeLu, test.range, 1.0);
    }
}

// The true-peak meter passes over groups of samples that cannot raise its peak; every value it
// would have computed there is found by a plain interpolation in double. The signal leaves and
// re-enters the quiet state: a crest establishes the peak, quiet noise follows, then a quarter-
// rate sine whose samples stay under the peak while its crests between them rise above it,
// then a last crest; in pieces that end inside groups and chunks.
TEST(TruePeakMeter, SkippedGroupsHideNoCrest)
{
    using Meter = TruePeakMeter;
    constexpr double kPi = kTwoPi / 2.0;
    constexpr int kCentre = Meter::kTaps / 2 - 1;
    double taps[Meter::kPhases][Meter::kTaps];
    for (int phase = 0; phase < Meter::kPhases; ++phase)
    {
        double sum = 0.0;
        for (int tap = 0; tap < Meter::kTaps; ++tap)
        {
            const double distance = kCentre + phase / double(Meter::kPhases) - tap;
            const double position = distance / (Meter::kTaps / 2.0);
            const double window =
                std::cyl_bessel_i(0.0, loudness_constants::kInterpolatorKaiserBeta *
                                           std::sqrt(std::max(0.0, 1.0 - position * position))) /
                std::cyl_bessel_i(0.0, loudness_constants::kInterpolatorKaiserBeta);
            taps[phase][tap] =
                (distance == 0.0 ? 1.0 : std::sin(kPi * distance) / (kPi * distance)) * window;
            sum += taps[phase][tap];
        }
        for (double& tap : taps[phase])
            tap /= sum;
    }
    std::vector<float> signal;
    const auto append = [&](int frames, auto sample)
    {
        for (int i = 0; i < frames; ++i)
            signal.push_back(static_cast<float>(sample(i)));
    };
    std::uint32_t noise = 7;
    append(300, [](int i) { return i == 150 ? 0.5 : 0.0; });
    append(5000,
           [&](int)
           {
               noise = noise * 1664525u + 1013904223u;
               return 0.02 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
           });
    append(3001, [](int i) { return 0.6 * std::sin(kPi / 2.0 * i + kPi / 4.0); });
    append(2000, [](int) { return 0.0; });
    append(77, [](int i) { return i == 70 ? -0.9 : 0.0; });

    Meter meter;
    double expected = 0.0;
    std::size_t done = 0;
    constexpr int kPieces[] = {1, 15, 17, 255, 513, 4096, 3};
    for (int piece = 0; done < signal.size(); piece = (piece + 1) % 7)
    {
        const std::size_t count = std::min<std::size_t>(kPieces[piece], signal.size() - done);
        meter.process(signal.data() + done, static_cast<int>(count));
        for (std::size_t end = done; end < done + count; ++end)
        {
            // The window ending at this sample, silence before the first.
            for (const auto& phase : taps)
            {
                double value = 0.0;
                for (int tap = 0; tap < Meter::kTaps; ++tap)
                {
                    const auto at = static_cast<long>(end) - (Meter::kTaps - 1) + tap;
                    value += at < 0 ? 0.0 : phase[tap] * signal[static_cast<std::size_t>(at)];
                }
                expected = std::max(expected, std::fabs(value));
            }
        }
        done += count;
        ASSERT_NEAR(meter.getPeak(), expected, 2e-6 * expected) << "after frame " << done;
    }
    // The sine's crests between its samples (0.6) rose above the first crest and its samples.
    EXPECT_NEAR(expected, 0.9, 1e-6);
}

// Silence and a restart: nothing is shown below the gate, and a restart keeps the integrated
// loudness while the momentary window starts from silence.
TEST(LoudnessMeter, RestartKeepsTheCountAndResetForgetsIt)
{
    constexpr double rateHz = 48000.0;
    Stereo tone;
    appendSine(tone, 1000.0, -23.0, 5.0, rateHz);
    LoudnessMeter meter;
    meter.setSampleRate(rateHz);
    EXPECT_EQ(meter.figures().integratedLufs, loudness_constants::kSilenceLufs);
    meter.process(tone.left.data(), tone.right.data(), tone.frames());
    meter.restart();
    EXPECT_EQ(meter.figures().momentaryLufs, loudness_constants::kSilenceLufs);
    EXPECT_NEAR(meter.figures().integratedLufs, -23.0, 0.1);
    EXPECT_NEAR(meter.figures().truePeakDbtp, -23.0, 0.1);
    meter.reset();
    EXPECT_EQ(meter.figures().integratedLufs, loudness_constants::kSilenceLufs);
    EXPECT_EQ(meter.figures().truePeakDbtp, loudness_constants::kSilenceLufs);
}
} // namespace
