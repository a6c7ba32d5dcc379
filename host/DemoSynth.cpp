#include "host/DemoSynth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kTempoBpm = 120.0;
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 12; // 24 s at 120 BPM
constexpr int kIntroBars = 2;
constexpr double kPeakDbfs = -1.0;
constexpr double kWidthDetuneCents = 7.0; // chord voices drift apart between left and right

// Chord tones and bass root per bar, as MIDI notes: A minor, F, C, G.
constexpr int kProgression[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};
constexpr int kBassRoots[4] = {33, 29, 36, 31};

double noteHz(double midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

// A fixed-seed generator, so the demo is the same on every machine.
class Noise
{
  public:
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483648.0 - 1.0;
    }

  private:
    std::uint32_t state = 0x2545F491u;
};

struct Stereo
{
    std::vector<double> left, right;
    int rateHz;

    std::size_t frameAt(double seconds) const { return static_cast<std::size_t>(seconds * rateHz); }
    // Adds a mono event with fixed pan gains from `startSeconds` for `lengthSeconds`.
    template <typename Voice>
    void add(double startSeconds, double lengthSeconds, double gainLeft, double gainRight,
             Voice voice)
    {
        const std::size_t first = frameAt(startSeconds);
        const std::size_t last = std::min(left.size(), frameAt(startSeconds + lengthSeconds));
        for (std::size_t frame = first; frame < last; ++frame)
        {
            const double sample = voice(static_cast<double>(frame - first) / rateHz);
            left[frame] += gainLeft * sample;
            right[frame] += gainRight * sample;
        }
    }
};

// Band-limited sawtooth step (polyBLEP), so the chords and bass do not alias.
class Saw
{
  public:
    explicit Saw(double frequencyHz, int rateHz) : increment(frequencyHz / rateHz) {}
    double next()
    {
        double value = 2.0 * phase - 1.0;
        if (phase < increment)
        {
            const double t = phase / increment;
            value -= t + t - t * t - 1.0;
        }
        else if (phase > 1.0 - increment)
        {
            const double t = (phase - 1.0) / increment;
            value -= t * t + t + t + 1.0;
        }
        phase += increment;
        if (phase >= 1.0)
            phase -= 1.0;
        return value;
    }

  private:
    double increment;
    double phase = 0.0;
};

class LowPass
{
  public:
    LowPass(double cutoffHz, int rateHz) : coefficient(std::exp(-2.0 * kPi * cutoffHz / rateHz)) {}
    double next(double input) { return state = input + coefficient * (state - input); }

  private:
    double coefficient;
    double state = 0.0;
};

void addKick(Stereo& mix, double start)
{
    double phase = 0.0;
    const double rate = mix.rateHz;
    mix.add(start, 0.4, 1.0, 1.0,
            [&](double t)
            {
                phase += 2.0 * kPi * (48.0 + 110.0 * std::exp(-t / 0.025)) / rate;
                return std::sin(phase) * std::exp(-t / 0.14);
            });
}

void addSnare(Stereo& mix, double start, Noise& noise)
{
    double previous = 0.0;
    mix.add(start, 0.3, 0.85, 1.0,
            [&](double t)
            {
                const double white = noise.next();
                const double bright = white - 0.6 * previous; // tilt towards the highs
                previous = white;
                return 0.45 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t / 0.04) +
                       0.5 * bright * std::exp(-t / 0.08);
            });
}

void addHat(Stereo& mix, double start, double pan, Noise& noise)
{
    double previous = 0.0;
    mix.add(start, 0.08, 1.0 - pan, 1.0 + pan,
            [&](double t)
            {
                const double white = noise.next();
                const double highs = white - previous;
                previous = white;
                return 0.12 * highs * std::exp(-t / 0.018);
            });
}

void addBass(Stereo& mix, double start, double length, int midiNote)
{
    Saw saw(noteHz(midiNote), mix.rateHz);
    LowPass tone(300.0, mix.rateHz);
    mix.add(start, length, 1.0, 1.0,
            [&](double t)
            {
                const double envelope =
                    std::min(1.0, t / 0.004) * (0.55 + 0.45 * std::exp(-t / 0.1));
                return 0.38 * envelope * tone.next(saw.next());
            });
}

void addChordNote(Stereo& mix, double start, double length, int midiNote, double level)
{
    const double detune = kWidthDetuneCents / 100.0;
    Saw sawLeft(noteHz(midiNote - detune), mix.rateHz);
    Saw sawRight(noteHz(midiNote + detune), mix.rateHz);
    LowPass toneLeft(1800.0, mix.rateHz);
    LowPass toneRight(1800.0, mix.rateHz);
    auto envelope = [length, level](double t) {
        return std::min({1.0, t / 0.06, (length - t) / 0.05}) * level;
    };
    mix.add(start, length, 1.0, 0.0,
            [&](double t) { return envelope(t) * toneLeft.next(sawLeft.next()); });
    mix.add(start, length, 0.0, 1.0,
            [&](double t) { return envelope(t) * toneRight.next(sawRight.next()); });
}
} // namespace

std::vector<float> synthesiseDemo(int sampleRateHz)
{
    const double beatSeconds = 60.0 / kTempoBpm;
    const double barSeconds = beatSeconds * kBeatsPerBar;
    const std::size_t frames = static_cast<std::size_t>(kBars * barSeconds * sampleRateHz);
    Stereo mix{std::vector<double>(frames), std::vector<double>(frames), sampleRateHz};
    Noise noise;

    for (int bar = 0; bar < kBars; ++bar)
    {
        const double barStart = bar * barSeconds;
        const int chord = bar % 4;
        for (int note : kProgression[chord])
            addChordNote(mix, barStart, barSeconds, note, 0.1);
        for (int eighth = 0; eighth < 2 * kBeatsPerBar; ++eighth)
            addBass(mix, barStart + eighth * beatSeconds / 2, beatSeconds / 2 * 0.9,
                    kBassRoots[chord] + (eighth % 4 == 3 ? 12 : 0));
        if (bar < kIntroBars)
            continue;
        for (int beat = 0; beat < kBeatsPerBar; ++beat)
        {
            const double beatStart = barStart + beat * beatSeconds;
            addKick(mix, beatStart);
            if (beat % 2 == 1)
                addSnare(mix, beatStart, noise);
            addHat(mix, beatStart + beatSeconds / 2, beat % 2 == 0 ? -0.6 : 0.6, noise);
        }
    }

    double peak = 0.0;
    for (std::size_t frame = 0; frame < frames; ++frame)
        peak = std::max({peak, std::fabs(mix.left[frame]), std::fabs(mix.right[frame])});
    const double gain = std::pow(10.0, kPeakDbfs / 20.0) / peak;
    std::vector<float> interleaved(2 * frames);
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        interleaved[2 * frame] = static_cast<float>(gain * mix.left[frame]);
        interleaved[2 * frame + 1] = static_cast<float>(gain * mix.right[frame]);
    }
    return interleaved;
}
