#include "host/plugins/Vst3PluginInstance.h"

#include "host/HostError.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr std::int32_t kStereoChannels = 2;
// The program selector and a parameter for each of up to this many parameters per block.
constexpr std::size_t kMaxChangesPerBlock = 4096;
constexpr std::size_t kString128Units = 128;

std::string fromUtf16(const vst3::char16* text)
{
    std::string out;
    for (std::size_t i = 0; i < kString128Units && text[i] != 0; ++i)
        out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return out;
}

template <typename Interface> Interface* queried(vst3::FUnknown* object, const vst3::Tuid& iid)
{
    void* found = nullptr;
    if (object == nullptr || object->queryInterface(iid.data(), &found) != vst3::kResultOk)
        return nullptr;
    return static_cast<Interface*>(found);
}
} // namespace

Vst3PluginInstance::Vst3PluginInstance(const Vst3EffectClass& effect, double rateHz,
                                       int blockFrames)
    : changes(kMaxChangesPerBlock), effectName(effect.name), sampleRateHz(rateHz),
      maxBlockFrames(blockFrames)
{
    void* object = nullptr;
    if (effect.factory->createInstance(effect.cid.data(), vst3::kIComponentIid.data(), &object) !=
            vst3::kResultOk ||
        object == nullptr)
        throw HostError("the VST3 plug-in could not create its component");
    component = static_cast<vst3::IComponent*>(object);
    if (component->initialize(&hostApplication) != vst3::kResultOk)
    {
        releaseAll();
        throw HostError("the VST3 plug-in's component refused to initialise");
    }
    processor = queried<vst3::IAudioProcessor>(component, vst3::kIAudioProcessorIid);
    vst3::BusInfo input{};
    vst3::BusInfo output{};
    const bool stereo =
        processor != nullptr &&
        component->getBusInfo(vst3::kAudio, vst3::kInput, 0, input) == vst3::kResultOk &&
        component->getBusInfo(vst3::kAudio, vst3::kOutput, 0, output) == vst3::kResultOk &&
        input.channelCount == kStereoChannels && output.channelCount == kStereoChannels;
    if (!stereo)
    {
        releaseAll();
        throw HostError("the VST3 plug-in is not a stereo effect");
    }
    createController(effect);
    connect();
    synchroniseController();
    findPrograms();
    context.sampleRate = sampleRateHz;
}

void Vst3PluginInstance::createController(const Vst3EffectClass& effect)
{
    controller = queried<vst3::IEditController>(component, vst3::kIEditControllerIid);
    controllerIsComponent = controller != nullptr;
    vst3::Tuid controllerCid{};
    void* object = nullptr;
    if (controller == nullptr &&
        component->getControllerClassId(controllerCid.data()) == vst3::kResultOk &&
        effect.factory->createInstance(controllerCid.data(), vst3::kIEditControllerIid.data(),
                                       &object) == vst3::kResultOk)
    {
        controller = static_cast<vst3::IEditController*>(object);
        if (controller->initialize(&hostApplication) != vst3::kResultOk)
        {
            releaseAll();
            throw HostError("the VST3 plug-in's controller refused to initialise");
        }
    }
    if (controller == nullptr)
    {
        releaseAll();
        throw HostError("the VST3 plug-in has no edit controller");
    }
    const std::int32_t count = controller->getParameterCount();
    for (std::int32_t i = 0; i < count; ++i)
    {
        vst3::ParameterInfo info{};
        if (controller->getParameterInfo(i, info) != vst3::kResultOk)
            continue;
        if (info.flags & vst3::kIsProgramChange)
        {
            hasProgramParameter = true;
            programParameter = info.id;
            continue;
        }
        if ((info.flags & vst3::kCanAutomate) == 0)
            continue;
        parameters.push_back({info.id, fromUtf16(info.title), fromUtf16(info.units)});
    }
}

void Vst3PluginInstance::connect()
{
    if (controllerIsComponent)
        return;
    componentPoint = queried<vst3::IConnectionPoint>(component, vst3::kIConnectionPointIid);
    controllerPoint = queried<vst3::IConnectionPoint>(controller, vst3::kIConnectionPointIid);
    if (componentPoint != nullptr && controllerPoint != nullptr)
    {
        componentPoint->connect(controllerPoint);
        controllerPoint->connect(componentPoint);
    }
}

void Vst3PluginInstance::synchroniseController()
{
    Vst3MemoryStream state;
    if (component->getState(&state) != vst3::kResultOk)
        return;
    state.rewind();
    controller->setComponentState(&state);
}

void Vst3PluginInstance::findPrograms()
{
    auto* units = queried<vst3::IUnitInfo>(controller, vst3::kIUnitInfoIid);
    if (units == nullptr)
        return;
    vst3::ProgramListInfo list{};
    if (hasProgramParameter && units->getProgramListCount() > 0 &&
        units->getProgramListInfo(0, list) == vst3::kResultOk)
    {
        programListId = list.id;
        programCount = std::max(0, list.programCount);
    }
    units->release();
}

Vst3PluginInstance::~Vst3PluginInstance()
{
    if (running)
        stop();
    releaseAll();
}

void Vst3PluginInstance::releaseAll()
{
    if (componentPoint != nullptr && controllerPoint != nullptr)
    {
        componentPoint->disconnect(controllerPoint);
        controllerPoint->disconnect(componentPoint);
    }
    for (vst3::IConnectionPoint* point : {componentPoint, controllerPoint})
        if (point != nullptr)
            point->release();
    componentPoint = controllerPoint = nullptr;
    if (controller != nullptr)
    {
        if (!controllerIsComponent)
            controller->terminate();
        controller->release();
    }
    if (processor != nullptr)
        processor->release();
    if (component != nullptr)
    {
        component->terminate();
        component->release();
    }
    controller = nullptr;
    processor = nullptr;
    component = nullptr;
}

std::string Vst3PluginInstance::programName(int program) const
{
    auto* units = queried<vst3::IUnitInfo>(controller, vst3::kIUnitInfoIid);
    if (units == nullptr)
        return {};
    vst3::String128 name{};
    const bool named = units->getProgramName(programListId, program, name) == vst3::kResultOk;
    units->release();
    return named ? fromUtf16(name) : std::string();
}

void Vst3PluginInstance::setProgram(int program)
{
    if (!hasProgramParameter || program < 0 || program >= programCount)
        return;
    const double normalized =
        programCount > 1 ? static_cast<double>(program) / (programCount - 1) : 0.0;
    std::vector<double> before;
    for (const Parameter& parameter : parameters)
        before.push_back(controller->getParamNormalized(parameter.id));
    controller->setParamNormalized(programParameter, normalized);
    changes.set(programParameter, normalized);
    // Whatever the program changed in the controller goes to the processor too.
    for (std::size_t i = 0; i < parameters.size(); ++i)
    {
        const double now = controller->getParamNormalized(parameters[i].id);
        if (now != before[i])
            changes.set(parameters[i].id, now);
    }
}

std::string Vst3PluginInstance::paramDisplay(int param) const
{
    vst3::String128 text{};
    const vst3::ParamID id = parameters[param].id;
    if (controller->getParamStringByValue(id, controller->getParamNormalized(id), text) !=
        vst3::kResultOk)
        return {};
    return fromUtf16(text);
}

std::string Vst3PluginInstance::paramLabel(int param) const
{
    const std::string& units = parameters[param].units;
    const std::string shown = paramDisplay(param);
    const bool named = !units.empty() && shown.size() >= units.size() &&
                       shown.compare(shown.size() - units.size(), units.size(), units) == 0;
    return named ? std::string() : units;
}

void Vst3PluginInstance::setParam(int param, float normalised)
{
    if (!std::isfinite(normalised))
        return;
    const double value = std::clamp(static_cast<double>(normalised), 0.0, 1.0);
    controller->setParamNormalized(parameters[param].id, value);
    changes.set(parameters[param].id, value);
}

float Vst3PluginInstance::paramValue(int param) const
{
    return static_cast<float>(controller->getParamNormalized(parameters[param].id));
}

void Vst3PluginInstance::start()
{
    vst3::SpeakerArrangement stereo = vst3::kSpeakerStereo;
    processor->setBusArrangements(&stereo, 1, &stereo, 1);
    component->activateBus(vst3::kAudio, vst3::kInput, 0, 1);
    component->activateBus(vst3::kAudio, vst3::kOutput, 0, 1);
    vst3::ProcessSetup setup{vst3::kOffline, vst3::kSample32, maxBlockFrames, sampleRateHz};
    if (processor->setupProcessing(setup) != vst3::kResultOk)
        throw HostError("the VST3 plug-in cannot process 32-bit samples at this rate");
    component->setActive(1);
    processor->setProcessing(1);
    running = true;
}

void Vst3PluginInstance::process(const float* const input[2], float* const output[2], int frames,
                                 double samplePos)
{
    vst3::AudioBusBuffers in{};
    in.numChannels = kStereoChannels;
    in.channelBuffers32 = const_cast<float**>(input);
    vst3::AudioBusBuffers out{};
    out.numChannels = kStereoChannels;
    out.channelBuffers32 = const_cast<float**>(output);
    context.projectTimeSamples = static_cast<std::int64_t>(samplePos);
    context.continousTimeSamples = context.projectTimeSamples;
    vst3::ProcessData data{};
    data.processMode = vst3::kOffline;
    data.symbolicSampleSize = vst3::kSample32;
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &out;
    data.inputParameterChanges = &changes;
    data.processContext = &context;
    processor->process(data);
    changes.clear();
}

void Vst3PluginInstance::stop()
{
    processor->setProcessing(0);
    component->setActive(0);
    running = false;
}

int Vst3PluginInstance::latencyFrames() const
{
    return static_cast<int>(processor->getLatencySamples());
}
