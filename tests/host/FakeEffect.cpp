#include "FakeEffect.h"

#include <map>
#include <utility>

namespace
{
struct FakeEffect
{
    AEffect effect{};
    audioMasterCallback host = nullptr;
    std::vector<float> delayLine[2];
    std::size_t position = 0;
};

FakeEffect& of(AEffect* effect)
{
    return *static_cast<FakeEffect*>(effect->object);
}

void log(const std::string& call)
{
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

void delay(AEffect* effect, float** inputs, float** outputs, VstInt32 frames, bool accumulate)
{
    FakeEffect& fake = of(effect);
    log("process");
    const auto* time = reinterpret_cast<const VstTimeInfo*>(
        fake.host(effect, audioMasterGetTime, 0, kVstPpqPosValid, nullptr, 0.0f));
    fakeEffectRecord().blockPositions.push_back(time ? time->samplePos : -1.0);
    const std::size_t delayFrames = fake.delayLine[0].size();
    for (VstInt32 frame = 0; frame < frames; ++frame)
    {
        for (int channel = 0; channel < 2; ++channel)
        {
            const float input = inputs[channel][frame];
            const float delayed =
                delayFrames == 0 ? input
                                 : std::exchange(fake.delayLine[channel][fake.position], input);
            outputs[channel][frame] = accumulate ? outputs[channel][frame] + delayed : delayed;
        }
        if (delayFrames > 0)
            fake.position = (fake.position + 1) % delayFrames;
    }
    if (effect->initialDelay != static_cast<VstInt32>(delayFrames))
    {
        effect->initialDelay = static_cast<VstInt32>(delayFrames);
        fake.host(effect, audioMasterIOChanged, 0, 0, nullptr, 0.0f);
    }
}
void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    delay(effect, inputs, outputs, frames, false);
}

void processAccumulating(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    delay(effect, inputs, outputs, frames, true);
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
    for (auto& line : fake->delayLine)
        line.assign(settings.delayFrames, 0.0f);
    AEffect& effect = fake->effect;
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatch;
    effect.process = processAccumulating;
    effect.processReplacing = settings.accumulating ? nullptr : processReplacing;
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
