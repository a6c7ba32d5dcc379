// Cost per stereo frame of each edition's audio entry, both libraries loaded as hosts load
// them: the VST 2.4 processReplacing and the LV2 run (which also checks its 17 parameter
// ports for changes and writes its meter ports), at program 0, in place, on noise at +6 dBFS.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "lv2/Lv2Ports.h"
#include "vst/VstAbi.h"

namespace
{
constexpr float kSampleRateHz = 44100.0f;
constexpr float kNoisePeak = 2.0f;

void* load(const char* path)
{
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        throw std::runtime_error(dlerror());
    return library;
}

struct Block
{
    explicit Block(std::size_t frames) : left(frames), right(frames)
    {
        std::mt19937 random(1);
        std::uniform_real_distribution<float> sample(-kNoisePeak, kNoisePeak);
        for (std::size_t i = 0; i < frames; ++i)
        {
            left[i] = sample(random);
            right[i] = sample(random);
        }
    }
    std::vector<float> left;
    std::vector<float> right;
};

extern "C" VstIntPtr benchmarkHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

void vstProcessReplacing(benchmark::State& state)
{
    static void* const library = load(VARNHOLT_PLUGIN_PATH);
    const auto frames = static_cast<VstInt32>(state.range(0));
    AEffect* effect =
        reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"))(benchmarkHost);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kSampleRateHz);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    Block block(static_cast<std::size_t>(frames));
    float* channels[] = {block.left.data(), block.right.data()};
    for (auto _ : state)
    {
        effect->processReplacing(effect, channels, channels, frames);
        benchmark::ClobberMemory();
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    state.SetItemsProcessed(state.iterations() * frames);
}

void lv2Run(benchmark::State& state)
{
    static void* const library = load(VARNHOLT_LV2_DSP_PATH);
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    const LV2_Descriptor* descriptor =
        reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"))(0);
    const LV2_Feature* const noFeatures[] = {nullptr};
    LV2_Handle instance = descriptor->instantiate(descriptor, kSampleRateHz, "", noFeatures);
    // Program 0 in port units: drive -0.16 dB, 100 % side gain, 500 ms, correlation -1, 100 ms
    // hysteresis, 80 ms release, 50 % link, 0 dB, 0 %, 100 ms, 100 ms, +8 dB; the rest 0.
    float controls[lv2_port::kPortCount] = {0.0f,   0.0f,  0.0f,   -0.16f, 100.0f,
                                            500.0f, -1.0f, 100.0f, 80.0f,  50.0f,
                                            0.0f,   0.0f,  100.0f, 100.0f, 8.0f};
    for (std::uint32_t port = 0; port < lv2_port::kPortCount; ++port)
        descriptor->connect_port(instance, port, &controls[port]);
    Block block(frames);
    for (std::uint32_t channel = 0; channel < 2; ++channel)
    {
        float* samples = channel == 0 ? block.left.data() : block.right.data();
        descriptor->connect_port(instance, lv2_port::kAudioInLeft + channel, samples);
        descriptor->connect_port(instance, lv2_port::kAudioOutLeft + channel, samples);
    }
    descriptor->activate(instance);
    for (auto _ : state)
    {
        descriptor->run(instance, frames);
        benchmark::ClobberMemory();
    }
    descriptor->deactivate(instance);
    descriptor->cleanup(instance);
    state.SetItemsProcessed(state.iterations() * frames);
}
} // namespace

BENCHMARK(vstProcessReplacing)->Arg(64)->Arg(512);
BENCHMARK(lv2Run)->Arg(64)->Arg(512);
BENCHMARK_MAIN();
