#include "FakeEffect.h"

#include <map>
#include <mutex>

namespace
{
struct FakeEffect
{
    AEffect effect{};
    audioMasterCallback host = nullptr;
    std::size_t delayFrames = 0;
    std::vector<float> inputs[2]; // every input so far: a test renders only seconds
};

// Batch tests make and run instances on several threads at once.
std::mutex recordMutex;

FakeEffect& of(AEffect* effect)
{
    return *static_cast<FakeEffect*>(effect->object);
}

void log(const std::string& call)
{
    const std::lock_guard<std::mutex> lock(recordMutex);
    auto& calls = fakeEffectRecord().calls;
    if (call != "process" || calls.empty() || calls.back() != call)
        calls.push_back(call);
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float opt)
{
    const std::map<VstInt32, std::string> logged = {
        {effOpen, "open"},
        {effClose, "close"},
        {effSetSampleRate, "rate " + std::to_string(static_cast<int>(opt))},
        {effSetBlockSize, "block " + std::to_string(value)},
        {effMainsChanged, "mains " + std::to_string(value)},
        {effStartProcess, "start"},
        {effStopProcess, "stop"},
    };
    if (const auto call = logged.find(opcode); call != logged.end())
        log(call->second);
    if (opcode == effClose)
        delete &of(effect);
    return 0;
}

template <bool accumulate>
void delay(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    FakeEffect& fake = of(effect);
    log("process");
    const auto* time = reinterpret_cast<const VstTimeInfo*>(
        fake.host(effect, audioMasterGetTime, 0, kVstPpqPosValid, nullptr, 0.0f));
    {
        const std::lock_guard<std::mutex> lock(recordMutex);
        fakeEffectRecord().blockPositions.push_back(time ? time->samplePos : -1.0);
    }
    const std::size_t delayFrames = fake.delayFrames;
    for (VstInt32 frame = 0; frame < frames; ++frame)
    {
        for (int channel = 0; channel < 2; ++channel)
        {
            std::vector<float>& history = fake.inputs[channel];
            history.push_back(inputs[channel][frame]);
            const float delayed =
                history.size() > delayFrames ? history[history.size() - 1 - delayFrames] : 0.0f;
            outputs[channel][frame] = accumulate ? outputs[channel][frame] + delayed : delayed;
        }
    }
    if (effect->initialDelay != static_cast<VstInt32>(delayFrames))
    {
        effect->initialDelay = static_cast<VstInt32>(delayFrames);
        fake.host(effect, audioMasterIOChanged, 0, 0, nullptr, 0.0f);
    }
}
} // namespace

FakeEffectRecord& fakeEffectRecord()
{
    static FakeEffectRecord record;
    return record;
}

extern "C" AEffect* fakeEffectMain(audioMasterCallback host)
{
    const FakeEffectSettings& settings = fakeEffectRecord().settings;
    if (settings.returnNull || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    if (settings.magic != kEffectMagic)
    {
        // A host must not touch a record with a wrong magic, so nothing here is ever freed.
        static AEffect foreign{};
        foreign.magic = settings.magic;
        return &foreign;
    }
    auto* fake = new FakeEffect;
    fake->host = host;
    fake->delayFrames = settings.delayFrames;
    AEffect& effect = fake->effect;
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatch;
    effect.process = delay<true>;
    effect.processReplacing = settings.accumulating ? nullptr : delay<false>;
    effect.numInputs = settings.inputs;
    effect.numOutputs = 2;
    effect.flags = settings.accumulating ? 0 : effFlagsCanReplacing;
    effect.initialDelay = settings.announceDelayLate ? 0 : settings.delayFrames;
    effect.object = fake;
    return &effect;
}

#ifdef FAKE_EFFECT_EXPORTS_MAIN
// Exported only as `main`, as Debian's DPF-built plug-ins are.
extern "C" AEffect* fakeEffectEntry(audioMasterCallback host) __asm__("main");
extern "C" AEffect* fakeEffectEntry(audioMasterCallback host)
{
    return fakeEffectMain(host);
}
#endif
