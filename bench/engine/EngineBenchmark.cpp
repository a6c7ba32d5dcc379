// Cost of the engine per stereo frame: processBlock on 512-frame blocks of separate channel
// buffers, as the plug-in's processReplacing calls it, and processSample in a frame loop for
// the per-frame users.

#include "tests/support/FactoryProgram.h"
#include "tests/support/TestSignals.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace
{
constexpr int kBlockFrames = 512;
constexpr int kSignalSeconds = 4;

// A factory program as the plug-in sets the engine, with changes on top.
struct Settings
{
    int program;
    std::vector<ParameterChange> changes;
};

const Settings kProgram0{0, {}};
// Soft clipper at half, leveller threshold -4 dB.
const Settings kProgram2{2, {}};

void applySettings(LimiterEngine& engine, const Settings& settings, float sampleRateHz)
{
    engine.setEngineSampleRate(sampleRateHz);
    applyFactoryProgram(engine, settings.program, settings.changes);
}

// Runs processOneBlock(engine, inLeft, inRight, outLeft, outRight) on successive 512-frame
// blocks of the programme, wrapping at its end, and reports the time per stereo frame.
template <typename ProcessOneBlock>
void runBlocks(benchmark::State& state, LimiterEngine& engine, const Settings& settings,
               float sampleRateHz, ProcessOneBlock processOneBlock,
               TestSignal material = TestSignal::hot)
{
    applySettings(engine, settings, sampleRateHz);
    const StereoSignal input =
        testSignal(material, static_cast<std::size_t>(sampleRateHz) * kSignalSeconds, sampleRateHz);
    const int totalFrames = static_cast<int>(input.left.size());
    std::vector<float> outLeft(kBlockFrames);
    std::vector<float> outRight(kBlockFrames);
    int offset = 0;
    for (auto _ : state)
    {
        processOneBlock(engine, input.left.data() + offset, input.right.data() + offset,
                        outLeft.data(), outRight.data());
        benchmark::DoNotOptimize(outLeft.data());
        benchmark::DoNotOptimize(outRight.data());
        benchmark::ClobberMemory();
        offset += kBlockFrames;
        if (offset + kBlockFrames > totalFrames)
            offset = 0;
    }
    const double frames = static_cast<double>(state.iterations()) * kBlockFrames;
    // Inverted rate: seconds per stereo frame, printed with an SI prefix (n for nanoseconds).
    state.counters["per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void processBlocks(benchmark::State& state, const Settings& settings, float sampleRateHz,
                   bool wideVectors = true, TestSignal material = TestSignal::hot,
                   bool restSkip = true)
{
    LimiterEngine engine;
    engine.allowWideVectors(wideVectors);
    // Without the loudness measurement: the signal path alone, the figure the others compare to.
    engine.measureLoudness(false);
    engine.allowRestSkip(restSkip);
    runBlocks(
        state, engine, settings, sampleRateHz,
        [](LimiterEngine& e, const float* inLeft, const float* inRight, float* outLeft,
           float* outRight) { e.processBlock(inLeft, inRight, outLeft, outRight, kBlockFrames); },
        material);
}

// processSample frame by frame, storing both outputs.
void processFrames(benchmark::State& state, const Settings& settings, float sampleRateHz)
{
    LimiterEngine engine;
    engine.measureLoudness(false);
    runBlocks(state, engine, settings, sampleRateHz,
              [](LimiterEngine& e, const float* inLeft, const float* inRight, float* outLeft,
                 float* outRight)
              {
                  for (int i = 0; i < kBlockFrames; ++i)
                  {
                      e.processSample(inLeft[i], inRight[i]);
                      outLeft[i] = e.getOutputLeft();
                      outRight[i] = e.getOutputRight();
                  }
              });
}

// The audio thread's share of the loudness measurement in real time: program 0 with its output
// copied into the measurement's ring. Every 16 blocks the timing pauses while the measurement
// catches up, as its thread does in real time, so the ring never fills. Shown: a second thread
// reads the figures and the meters at 60 Hz as the open panel does. Nothing else runs between
// the blocks here, so this is the copy's lowest cost: in a host whose own work runs between the
// calls, each line the copy takes is one the measuring core has read or the host has pushed out
// of the cache (bench/compare-peers' renders: about 0.2 ns a frame here, 0.5 to 0.8 there).
void processBlocksMeasured(benchmark::State& state, bool panelShown)
{
    constexpr int kBlocksBetweenCatchUps = 16;
    const auto sampleRateHz = static_cast<float>(state.range(0));
    LimiterEngine engine;
    std::atomic<bool> reading{panelShown};
    std::thread reader(
        [&]
        {
            while (reading.load())
            {
                benchmark::DoNotOptimize(engine.getLoudness());
                benchmark::DoNotOptimize(engine.getPeakLeft() + engine.getLimiterGainLeft() +
                                         engine.getRmsGain());
                std::this_thread::sleep_for(std::chrono::milliseconds(16));
            }
        });
    int blocks = 0;
    runBlocks(state, engine, kProgram0, sampleRateHz,
              [&](LimiterEngine& e, const float* inLeft, const float* inRight, float* outLeft,
                  float* outRight)
              {
                  e.processBlock(inLeft, inRight, outLeft, outRight, kBlockFrames);
                  if (++blocks % kBlocksBetweenCatchUps != 0)
                      return;
                  state.PauseTiming();
                  e.waitUntilLoudnessMeasured();
                  state.ResumeTiming();
              });
    reading.store(false);
    reader.join();
}

// As fast as the processing thread goes, the measurement's thread falls behind, the ring fills
// and the processing thread measures too: the cost of an offline render.
void processBlocksMeasuredFlatOut(benchmark::State& state)
{
    LimiterEngine engine;
    runBlocks(state, engine, kProgram0, static_cast<float>(state.range(0)),
              [](LimiterEngine& e, const float* inLeft, const float* inRight, float* outLeft,
                 float* outRight)
              { e.processBlock(inLeft, inRight, outLeft, outRight, kBlockFrames); });
}

// The measurement itself, on whichever thread measures.
void BM_LoudnessMeter(benchmark::State& state)
{
    const auto sampleRateHz = static_cast<float>(state.range(0));
    LoudnessMeter meter;
    meter.setSampleRate(sampleRateHz);
    const StereoSignal input = testSignal(
        TestSignal::hot, static_cast<std::size_t>(sampleRateHz) * kSignalSeconds, sampleRateHz);
    const int totalFrames = static_cast<int>(input.left.size());
    int offset = 0;
    for (auto _ : state)
    {
        meter.process(input.left.data() + offset, input.right.data() + offset, kBlockFrames);
        offset += kBlockFrames;
        if (offset + kBlockFrames > totalFrames)
            offset = 0;
    }
    benchmark::DoNotOptimize(meter.figures());
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlockFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The audio thread's part alone: a block's copy into the ring, caught up as in
// processBlocksMeasured.
void BM_LoudnessFeedWrite(benchmark::State& state)
{
    constexpr int kBlocksBetweenCatchUps = 16;
    LoudnessFeed feed;
    feed.setSampleRate(48000.0);
    const StereoSignal input = testSignal(TestSignal::hot, 48000 * kSignalSeconds, 48000.0);
    int blocks = 0;
    for (auto _ : state)
    {
        feed.write(input.left.data(), input.right.data(), kBlockFrames);
        if (++blocks % kBlocksBetweenCatchUps != 0)
            continue;
        state.PauseTiming();
        feed.waitUntilMeasured();
        state.ResumeTiming();
    }
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlockFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Program0LoudnessPanelHidden(benchmark::State& state)
{
    processBlocksMeasured(state, false);
}

void BM_Program0LoudnessPanelShown(benchmark::State& state)
{
    processBlocksMeasured(state, true);
}

void BM_Program0LoudnessFlatOut(benchmark::State& state)
{
    processBlocksMeasuredFlatOut(state);
}

Settings withInterSamplePeak(Settings settings)
{
    settings.changes.push_back({kInterSamplePeak, 1.0f});
    return settings;
}

Settings withDither16(Settings settings)
{
    settings.changes.push_back({kDithering, kDither16BitPosition});
    return settings;
}

void BM_Program0(benchmark::State& state)
{
    processBlocks(state, kProgram0, static_cast<float>(state.range(0)));
}

// The SSE2 baseline code where the processor would offer AVX-512.
void BM_Program0Baseline(benchmark::State& state)
{
    processBlocks(state, kProgram0, static_cast<float>(state.range(0)), false);
}

// Quiet material under the threshold, where the peak envelopes rest and are held; and the same
// with every frame stepped, as before the hold.
void BM_Program0Quiet(benchmark::State& state)
{
    processBlocks(state, kProgram0, static_cast<float>(state.range(0)), true, TestSignal::quiet);
}

void BM_Program0QuietStepped(benchmark::State& state)
{
    processBlocks(state, kProgram0, static_cast<float>(state.range(0)), true, TestSignal::quiet,
                  false);
}

void BM_Program0PerFrame(benchmark::State& state)
{
    processFrames(state, kProgram0, static_cast<float>(state.range(0)));
}

void BM_Program0InterSamplePeak(benchmark::State& state)
{
    processBlocks(state, withInterSamplePeak(kProgram0), static_cast<float>(state.range(0)));
}

void BM_Program2SoftclipLeveller(benchmark::State& state)
{
    processBlocks(state, kProgram2, static_cast<float>(state.range(0)));
}

void BM_Program0Dither16(benchmark::State& state)
{
    processBlocks(state, withDither16(kProgram0), static_cast<float>(state.range(0)));
}

// The SSE2 baseline's dither: the quantiser's feedback and the generator in its narrow vectors.
void BM_Program0Dither16Baseline(benchmark::State& state)
{
    processBlocks(state, withDither16(kProgram0), static_cast<float>(state.range(0)), false);
}

void BM_Program2InterSamplePeakDither16(benchmark::State& state)
{
    processBlocks(state, withDither16(withInterSamplePeak(kProgram2)),
                  static_cast<float>(state.range(0)));
}
} // namespace

BENCHMARK(BM_Program0)->Arg(44100)->Arg(48000)->Arg(96000);
BENCHMARK(BM_Program0Baseline)->Arg(48000);
BENCHMARK(BM_Program0LoudnessPanelHidden)->Arg(44100)->Arg(48000)->Arg(96000);
BENCHMARK(BM_Program0LoudnessPanelShown)->Arg(44100)->Arg(48000)->Arg(96000);
BENCHMARK(BM_Program0LoudnessFlatOut)->Arg(48000);
BENCHMARK(BM_LoudnessMeter)->Arg(48000);
BENCHMARK(BM_LoudnessFeedWrite);
BENCHMARK(BM_Program0Quiet)->Arg(48000);
BENCHMARK(BM_Program0QuietStepped)->Arg(48000);
BENCHMARK(BM_Program0PerFrame)->Arg(48000);
BENCHMARK(BM_Program0InterSamplePeak)->Arg(44100)->Arg(48000)->Arg(96000);
BENCHMARK(BM_Program2SoftclipLeveller)->Arg(44100)->Arg(48000)->Arg(96000);
BENCHMARK(BM_Program0Dither16)->Arg(44100)->Arg(48000)->Arg(96000);
BENCHMARK(BM_Program0Dither16Baseline)->Arg(48000);
BENCHMARK(BM_Program2InterSamplePeakDither16)->Arg(48000);

BENCHMARK_MAIN();
