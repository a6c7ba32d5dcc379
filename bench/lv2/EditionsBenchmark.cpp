// Cost per stereo frame of each edition's audio entry, the libraries loaded as hosts load
// them: the VST 2.4 processReplacing, the LV2 run (which also checks its 17 parameter ports for
// changes and writes its meter ports) and the CLAP process (without events, and with a
// parameter event every 64 frames, which splits the block there), at program 0, in place, on
// noise at +6 dBFS.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "clap/Extensions.h"
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
// CLAP input events: the given parameter values, one every kClapEventSpacing frames.
struct ClapEvents
{
    static constexpr std::uint32_t kClapEventSpacing = 64;
    explicit ClapEvents(std::uint32_t frames, bool withEvents)
    {
        for (std::uint32_t time = 0; withEvents && time < frames; time += kClapEventSpacing)
        {
            clap_event_param_value event{};
            event.header = {sizeof event, time, kClapCoreEventSpace, kClapEventParamValue, 0};
            event.param_id = kRmsThreshold;
            event.note_id = -1;
            event.port_index = event.channel = event.key = -1;
            event.value = (time / kClapEventSpacing) % 2 == 0 ? 8.0 : 7.5;
            events.push_back(event);
        }
        list.ctx = &events;
        list.size = [](const clap_input_events* self)
        {
            return static_cast<std::uint32_t>(
                static_cast<std::vector<clap_event_param_value>*>(self->ctx)->size());
        };
        list.get = [](const clap_input_events* self,
                      std::uint32_t index) -> const clap_event_header*
        { return &(*static_cast<std::vector<clap_event_param_value>*>(self->ctx))[index].header; };
    }
    std::vector<clap_event_param_value> events;
    clap_input_events list{};
};

void clapProcess(benchmark::State& state)
{
    static void* const library = load(VARNHOLT_CLAP_PATH);
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    const auto* entry = static_cast<const clap_plugin_entry*>(dlsym(library, "clap_entry"));
    entry->init(VARNHOLT_CLAP_PATH);
    const auto* factory =
        static_cast<const clap_plugin_factory*>(entry->get_factory(kClapPluginFactoryId));
    clap_host host{};
    host.clap_version = kClapVersion;
    host.name = host.vendor = host.url = host.version = "";
    host.get_extension = [](const clap_host*, const char*) -> const void* { return nullptr; };
    host.request_restart = host.request_process = host.request_callback = [](const clap_host*) {};
    const clap_plugin* plugin =
        factory->create_plugin(factory, &host, factory->get_plugin_descriptor(factory, 0)->id);
    plugin->init(plugin);
    plugin->activate(plugin, kSampleRateHz, 1, frames);
    plugin->start_processing(plugin);
    Block block(frames);
    float* channels[] = {block.left.data(), block.right.data()};
    clap_audio_buffer buffer{};
    buffer.data32 = channels;
    buffer.channel_count = 2;
    ClapEvents in(frames, state.range(1) != 0);
    const clap_output_events out = {nullptr, [](const clap_output_events*, const clap_event_header*)
                                    { return true; }};
    clap_process process{};
    process.frames_count = frames;
    process.audio_inputs = &buffer;
    process.audio_outputs = &buffer;
    process.audio_inputs_count = process.audio_outputs_count = 1;
    process.in_events = &in.list;
    process.out_events = &out;
    for (auto _ : state)
    {
        plugin->process(plugin, &process);
        benchmark::ClobberMemory();
    }
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
    state.SetItemsProcessed(state.iterations() * frames);
}
} // namespace

BENCHMARK(vstProcessReplacing)->Arg(64)->Arg(512);
BENCHMARK(lv2Run)->Arg(64)->Arg(512);
BENCHMARK(clapProcess)->Args({64, 0})->Args({512, 0})->Args({512, 1});
BENCHMARK_MAIN();
