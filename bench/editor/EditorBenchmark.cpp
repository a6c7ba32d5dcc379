// The editor's costs, headless (drawn into its back buffer, no window): one idle call with all
// eleven meters moving, one open (bitmaps decoded, views built, window drawn) at scales 1, 2, 3
// (above 1 the art is drawn at the first open), and the resident memory of one and of eight
// effects with their editors open, at scales 1 and 2. Medians come from the repetitions. A
// remembered editor size of the user's is ignored: XDG_CONFIG_HOME points at an empty folder.

#include "editor/LimiterEditor.h"
#include "plugin/LimiterEffectEdit.h"
#include "plugin/VstEditor.h"
#include "tests/support/RecordingHost.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kBlockFrames = 512;
constexpr float kSampleRateHz = 44100.0f;
constexpr int kLoudProgram = 2; // soft clipper and leveller working, so their meters move too
constexpr int kRepetitions = 7;
constexpr int kInstancesForMemory = 8;
constexpr double kKibibytesPerMebibyte = 1024.0;

LimiterEditor& editorOf(LimiterEffectEdit& effect)
{
    return static_cast<VstEditor*>(effect.getEditor())->getLimiterEditor();
}

std::unique_ptr<LimiterEffectEdit> makeEffect(double scale = 1.0)
{
    auto effect = std::make_unique<LimiterEffectEdit>(recordingHostCallback);
    effect->setProgram(kLoudProgram);
    effect->resume();
    editorOf(*effect).setHostScaleFactor(scale);
    return effect;
}

// A block of wide, swelling sines whose level changes from block to block, so every meter
// (levels, held peaks, gains, soft clipper, correlation) has something new at each idle.
void processMovingBlock(LimiterEffectEdit& effect, int block)
{
    constexpr float twoPi = 6.2831853f;
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    const float level = 0.3f + 0.7f * std::fabs(std::sin(0.37f * static_cast<float>(block)));
    for (int i = 0; i < kBlockFrames; ++i)
    {
        const float t = static_cast<float>(block * kBlockFrames + i) / kSampleRateHz;
        left[i] = level * std::sin(twoPi * 220.0f * t);
        right[i] = level * std::sin(twoPi * 330.0f * t + static_cast<float>(block));
    }
    float* channels[] = {left.data(), right.data()};
    effect.processReplacing(channels, channels, kBlockFrames);
}

double residentMebibytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key)
    {
        if (key == "VmRSS:")
        {
            double kibibytes = 0.0;
            status >> kibibytes;
            return kibibytes / kKibibytesPerMebibyte;
        }
        status.ignore(256, '\n');
    }
    return 0.0;
}

void BM_EditorIdleWithMetersMoving(benchmark::State& state)
{
    auto effect = makeEffect();
    LimiterEditor& editor = editorOf(*effect);
    editor.open(nullptr);
    int block = 0;
    for (auto _ : state)
    {
        processMovingBlock(*effect, block++);
        const auto started = std::chrono::steady_clock::now();
        editor.idle();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }
    editor.close();
}

// Milliseconds of processor time this thread has used: on a busy machine the wall clock also
// counts the time other processes had the processor.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// Open and the first idle, which draws the whole window, in a new effect whose art no other
// editor holds: every bitmap is decoded (scale 1) or drawn (above 1) afresh. The manual time
// is the wall clock; open_cpu_ms the processor time of the same span.
void BM_EditorOpen(benchmark::State& state)
{
    double cpuMs = 0.0;
    for (auto _ : state)
    {
        auto effect = makeEffect(static_cast<double>(state.range(0)));
        LimiterEditor& editor = editorOf(*effect);
        const auto started = std::chrono::steady_clock::now();
        const double cpuStarted = threadCpuMs();
        editor.open(nullptr);
        editor.idle();
        cpuMs += threadCpuMs() - cpuStarted;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        editor.close();
    }
    state.counters["open_cpu_ms"] = cpuMs / static_cast<double>(state.iterations());
}

// Resident memory of the whole process with 1 and with 8 effects whose editors are open.
void BM_EditorResidentMemory(benchmark::State& state)
{
    for (auto _ : state)
    {
        const double before = residentMebibytes();
        std::vector<std::unique_ptr<LimiterEffectEdit>> effects;
        for (int instance = 0; instance < kInstancesForMemory; ++instance)
        {
            effects.push_back(makeEffect(static_cast<double>(state.range(0))));
            editorOf(*effects.back()).open(nullptr);
            editorOf(*effects.back()).idle();
            if (instance == 0)
                state.counters["rss_1_editor_MiB"] = residentMebibytes();
        }
        state.counters["rss_8_editors_MiB"] = residentMebibytes();
        state.counters["rss_before_MiB"] = before;
        state.counters["added_per_extra_editor_MiB"] =
            (state.counters["rss_8_editors_MiB"] - state.counters["rss_1_editor_MiB"]) /
            (kInstancesForMemory - 1);
        for (auto& effect : effects)
            editorOf(*effect).close();
    }
}
} // namespace

BENCHMARK(BM_EditorIdleWithMetersMoving)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EditorOpen)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EditorResidentMemory)->Arg(1)->Arg(2)->Iterations(1);

int main(int argc, char** argv)
{
    const std::filesystem::path noSettings =
        std::filesystem::temp_directory_path() / "varnholt-bench-no-settings";
    std::filesystem::create_directories(noSettings);
    setenv("XDG_CONFIG_HOME", noSettings.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
