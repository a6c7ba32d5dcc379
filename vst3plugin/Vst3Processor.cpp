#include "vst3plugin/Vst3Processor.h"

#include <cmath>
#include <cstring>
#include <new>

#include "parameters/EngineParameters.h"
#include "parameters/Presets.h"
#include "vst3plugin/Vst3EngineRegistry.h"
#include "vst3plugin/Vst3Identity.h"
#include "vst3plugin/Vst3Parameters.h"
#include "vst3plugin/Vst3QueuedChanges.h"
#include "vst3plugin/Vst3State.h"
#include "vst3plugin/Vst3Text.h"

namespace
{
constexpr std::int32_t kStereoChannels = 2;
constexpr const char* kInputBusName = "Stereo In";
constexpr const char* kOutputBusName = "Stereo Out";

bool isAudioBus(std::int32_t type, std::int32_t direction, std::int32_t index)
{
    return type == vst3::kAudio && (direction == vst3::kInput || direction == vst3::kOutput) &&
           index == 0;
}

template <typename Sample> Sample** channelsOf(vst3::AudioBusBuffers& bus);
template <> float** channelsOf<float>(vst3::AudioBusBuffers& bus)
{
    return bus.channelBuffers32;
}
template <> double** channelsOf<double>(vst3::AudioBusBuffers& bus)
{
    return bus.channelBuffers64;
}

// The stereo channels of a bus, or null when the bus gives fewer.
template <typename Sample>
Sample** stereoChannels(std::int32_t busCount, vst3::AudioBusBuffers* bus)
{
    if (busCount < 1 || bus == nullptr || bus->numChannels < kStereoChannels)
        return nullptr;
    Sample** channels = channelsOf<Sample>(*bus);
    if (channels == nullptr || channels[0] == nullptr || channels[1] == nullptr)
        return nullptr;
    return channels;
}

template <typename Sample> bool allZero(const Sample* samples, std::int32_t frames)
{
    for (std::int32_t i = 0; i < frames; ++i)
        if (samples[i] != Sample(0))
            return false;
    return true;
}
} // namespace

Vst3Processor::Vst3Processor()
{
    constexpr int defaultProgram = 0;
    for (int i = 0; i < kNumParams; ++i)
        values[i].store(kPresetTable[defaultProgram][i], std::memory_order_relaxed);
    startEngine();
    vst3_engine_registry::add(this);
}

Vst3Processor::~Vst3Processor()
{
    vst3_engine_registry::remove(this);
    terminate();
}

void Vst3Processor::startEngine()
{
    // The VST 2.4 edition's construction order: the values first, then the rate.
    auto fresh = std::make_unique<LimiterEngine>();
    for (int i = 0; i < kNumParams; ++i)
        applyParameter(*fresh, i, values[i].load(std::memory_order_relaxed));
    fresh->setEngineSampleRate(sampleRateHz);
    engine = std::move(fresh);
}

vst3::tresult Vst3Processor::queryInterface(vst3::TUIDPointer iid, void** object)
{
    if (object == nullptr)
        return vst3::kInvalidArgument;
    void* found = nullptr;
    if (vst3::sameTuid(iid, vst3::kFUnknownIid) || vst3::sameTuid(iid, vst3::kIPluginBaseIid) ||
        vst3::sameTuid(iid, vst3::kIComponentIid))
        found = static_cast<vst3::IComponent*>(this);
    else if (vst3::sameTuid(iid, vst3::kIAudioProcessorIid))
        found = static_cast<vst3::IAudioProcessor*>(this);
    else if (vst3::sameTuid(iid, vst3::kIConnectionPointIid))
        found = static_cast<vst3::IConnectionPoint*>(this);
    else if (vst3::sameTuid(iid, kVst3EngineLinkIid))
        found = static_cast<Vst3EngineLink*>(this);
    *object = found;
    if (found == nullptr)
        return vst3::kNoInterface;
    addRef();
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::initialize(vst3::FUnknown* context)
{
    void* application = nullptr;
    if (hostApplication == nullptr && context != nullptr &&
        context->queryInterface(vst3::kIHostApplicationIid.data(), &application) == vst3::kResultOk)
        hostApplication = static_cast<vst3::IHostApplication*>(application);
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::terminate()
{
    if (hostApplication != nullptr)
        hostApplication->release();
    hostApplication = nullptr;
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::getControllerClassId(std::uint8_t* classId)
{
    if (classId == nullptr)
        return vst3::kInvalidArgument;
    std::memcpy(classId, vst3_identity::kControllerCid.data(),
                vst3_identity::kControllerCid.size());
    return vst3::kResultTrue;
}

vst3::tresult Vst3Processor::setIoMode(std::int32_t)
{
    return vst3::kNotImplemented;
}

std::int32_t Vst3Processor::getBusCount(std::int32_t type, std::int32_t direction)
{
    return isAudioBus(type, direction, 0) ? 1 : 0;
}

vst3::tresult Vst3Processor::getBusInfo(std::int32_t type, std::int32_t direction,
                                        std::int32_t index, vst3::BusInfo& bus)
{
    if (!isAudioBus(type, direction, index))
        return vst3::kInvalidArgument;
    std::memset(&bus, 0, sizeof bus);
    bus.mediaType = vst3::kAudio;
    bus.direction = direction;
    bus.channelCount = kStereoChannels;
    vst3_text::toUtf16(bus.name, 128, direction == vst3::kInput ? kInputBusName : kOutputBusName);
    bus.busType = vst3::kMain;
    bus.flags = vst3::kDefaultActive;
    return vst3::kResultTrue;
}

vst3::tresult Vst3Processor::getRoutingInfo(vst3::RoutingInfo&, vst3::RoutingInfo&)
{
    return vst3::kNotImplemented;
}

vst3::tresult Vst3Processor::activateBus(std::int32_t type, std::int32_t direction,
                                         std::int32_t index, vst3::TBool)
{
    return isAudioBus(type, direction, index) ? vst3::kResultTrue : vst3::kInvalidArgument;
}

vst3::tresult Vst3Processor::setActive(vst3::TBool state)
{
    if (state == 0)
        return vst3::kResultOk;
    try
    {
        startEngine();
    }
    catch (const std::bad_alloc&)
    {
        return vst3::kOutOfMemory;
    }
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::setState(vst3::IBStream* stream)
{
    if (stream == nullptr)
        return vst3::kInvalidArgument;
    const std::optional<Vst3State> state = vst3_state::read(*stream);
    if (!state)
        return vst3::kResultFalse;
    program.store(state->program, std::memory_order_relaxed);
    for (int i = 0; i < kNumParams; ++i)
        applyValue(i, state->values[i]);
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::getState(vst3::IBStream* stream)
{
    if (stream == nullptr)
        return vst3::kInvalidArgument;
    Vst3State state{};
    for (int i = 0; i < kNumParams; ++i)
        state.values[i] = values[i].load(std::memory_order_relaxed);
    state.program = program.load(std::memory_order_relaxed);
    return vst3_state::write(*stream, state) ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult Vst3Processor::setBusArrangements(vst3::SpeakerArrangement* inputs,
                                                std::int32_t numIns,
                                                vst3::SpeakerArrangement* outputs,
                                                std::int32_t numOuts)
{
    const bool stereo = numIns == 1 && numOuts == 1 && inputs != nullptr && outputs != nullptr &&
                        inputs[0] == vst3::kSpeakerStereo && outputs[0] == vst3::kSpeakerStereo;
    return stereo ? vst3::kResultTrue : vst3::kResultFalse;
}

vst3::tresult Vst3Processor::getBusArrangement(std::int32_t direction, std::int32_t index,
                                               vst3::SpeakerArrangement& arrangement)
{
    if (!isAudioBus(vst3::kAudio, direction, index))
        return vst3::kInvalidArgument;
    arrangement = vst3::kSpeakerStereo;
    return vst3::kResultTrue;
}

vst3::tresult Vst3Processor::canProcessSampleSize(std::int32_t symbolicSampleSize)
{
    return symbolicSampleSize == vst3::kSample32 || symbolicSampleSize == vst3::kSample64
               ? vst3::kResultTrue
               : vst3::kResultFalse;
}

std::uint32_t Vst3Processor::getLatencySamples()
{
    return LimiterEngine::kLatencyFrames;
}

vst3::tresult Vst3Processor::setupProcessing(vst3::ProcessSetup& setup)
{
    if (canProcessSampleSize(setup.symbolicSampleSize) != vst3::kResultTrue ||
        !std::isfinite(setup.sampleRate) || setup.sampleRate <= 0.0)
        return vst3::kResultFalse;
    sampleRateHz = static_cast<float>(setup.sampleRate);
    engine->setEngineSampleRate(sampleRateHz);
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::setProcessing(vst3::TBool)
{
    return vst3::kResultOk;
}

std::uint32_t Vst3Processor::getTailSamples()
{
    return LimiterEngine::kLatencyFrames;
}

vst3::tresult Vst3Processor::process(vst3::ProcessData& data)
{
    if (data.symbolicSampleSize == vst3::kSample64)
        processAudio<double>(data);
    else if (data.symbolicSampleSize == vst3::kSample32)
        processAudio<float>(data);
    else
        return vst3::kInvalidArgument;
    return vst3::kResultOk;
}

template <typename Sample> void Vst3Processor::processAudio(vst3::ProcessData& data)
{
    Vst3QueuedChanges changes(data.inputParameterChanges);
    const auto apply = [this](vst3::ParamID id, double value) { applyChange(id, value); };
    Sample** out = stereoChannels<Sample>(data.numOutputs, data.outputs);
    const std::int32_t frames = data.numSamples;
    if (out == nullptr || frames <= 0)
    {
        changes.applyRest(apply);
        if (out != nullptr)
            data.outputs[0].silenceFlags = 0;
        return;
    }
    Sample** in = stereoChannels<Sample>(data.numInputs, data.inputs);
    // Without inputs the effect hears silence: the outputs are zeroed and processed in place.
    if (in == nullptr)
    {
        for (int channel = 0; channel < kStereoChannels; ++channel)
            std::memset(out[channel], 0, sizeof(Sample) * static_cast<std::size_t>(frames));
        in = out;
    }
    std::int32_t done = 0;
    while (done < frames)
    {
        changes.applyThrough(done, apply);
        const std::int32_t end = changes.nextOffset(frames);
        engine->processBlock(in[0] + done, in[1] + done, out[0] + done, out[1] + done, end - done);
        done = end;
    }
    changes.applyRest(apply);
    std::uint64_t silent = 0;
    for (int channel = 0; channel < kStereoChannels; ++channel)
        if (allZero(out[channel], frames))
            silent |= std::uint64_t{1} << channel;
    data.outputs[0].silenceFlags = silent;
}

void Vst3Processor::applyChange(vst3::ParamID id, double normalized)
{
    if (std::isnan(normalized))
        return;
    if (vst3_parameters::isParameterId(id))
    {
        const int index = static_cast<int>(id);
        applyValue(index, vst3_parameters::parameterValueOf(index, normalized));
    }
    else if (id == vst3_parameters::kProgramId)
        applyProgram(vst3_parameters::programOf(normalized));
}

void Vst3Processor::applyValue(int index, float value)
{
    if (values[index].load(std::memory_order_relaxed) == value)
        return;
    values[index].store(value, std::memory_order_relaxed);
    applyParameter(*engine, index, value);
}

void Vst3Processor::applyProgram(int newProgram)
{
    if (program.load(std::memory_order_relaxed) == newProgram)
        return;
    program.store(newProgram, std::memory_order_relaxed);
    for (int i = 0; i < kNumParams; ++i)
        applyValue(i, kPresetTable[newProgram][i]);
}

vst3::tresult Vst3Processor::connect(vst3::IConnectionPoint* other)
{
    if (other == nullptr)
        return vst3::kInvalidArgument;
    void* made = nullptr;
    if (hostApplication == nullptr ||
        hostApplication->createInstance(vst3::kIMessageIid.data(), vst3::kIMessageIid.data(),
                                        &made) != vst3::kResultOk ||
        made == nullptr)
        return vst3::kResultOk;
    auto* message = static_cast<vst3::IMessage*>(made);
    message->setMessageID(kVst3EngineMessageId);
    if (vst3::IAttributeList* attributes = message->getAttributes())
    {
        attributes->setInt(kVst3EngineAddressAttribute,
                           reinterpret_cast<std::intptr_t>(static_cast<Vst3EngineLink*>(this)));
        other->notify(message);
    }
    message->release();
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::disconnect(vst3::IConnectionPoint*)
{
    return vst3::kResultOk;
}

vst3::tresult Vst3Processor::notify(vst3::IMessage*)
{
    return vst3::kResultFalse;
}
