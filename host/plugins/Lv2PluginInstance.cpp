#include "host/plugins/Lv2PluginInstance.h"

#include "host/HostError.h"
#include "lv2/Lv2Identity.h"
#include "parameters/UserUnits.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/parameters/parameters.h>

#include <algorithm>
#include <cmath>
#include <dlfcn.h>
#include <filesystem>
#include <sstream>

namespace
{
// Features the host gives with data, and those that only need its promise: blocks never longer
// than the stated maximum, separate input and output buffers, a plug-in that may be hard
// real-time or live.
const char* const kPromisedFeatures[] = {LV2_BUF_SIZE__boundedBlockLength, LV2_CORE__hardRTCapable,
                                         LV2_CORE__inPlaceBroken, LV2_CORE__isLive};
constexpr int kStereoChannels = 2;
constexpr int kDisplayDigits = 6;
// About 20 s at 48 kHz: far beyond any look-ahead a plug-in could honestly state.
constexpr float kMaxLatencyFrames = 1 << 20;

// As with VST 2.4 libraries, the plug-in's library stays loaded until the program ends: plug-ins
// leave allocations and threads behind, which lilv would otherwise unload with its world.
void keepLibraryLoaded(const LilvPlugin* plugin)
{
    char* path =
        lilv_file_uri_parse(lilv_node_as_uri(lilv_plugin_get_library_uri(plugin)), nullptr);
    if (path != nullptr)
        dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    lilv_free(path);
}

std::size_t atomWords(std::size_t bytes)
{
    return (bytes + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t);
}
} // namespace

Lv2PluginInstance::Lv2PluginInstance(std::shared_ptr<Lv2World> world, const LilvPlugin* plugin,
                                     double sampleRateHz, int maxBlockFrames)
    : world(std::move(world)), plugin(plugin), maxBlockOption(maxBlockFrames),
      sampleRateOption(static_cast<float>(sampleRateHz))
{
    Lv2World& lv2 = *this->world;
    pluginName = lv2TakeNodeText(lilv_plugin_get_name(plugin));
    refuseMissingFeatures();
    refuseMissingLibrary();
    layout = describePorts(lv2, plugin);
    const std::size_t inputs = layout.mainInputs.size();
    const std::size_t outputs = layout.mainOutputs.size();
    const bool stereo = inputs == kStereoChannels && outputs == kStereoChannels;
    const bool mono = inputs == 1 && outputs == 1;
    if (!stereo && !mono)
    {
        throw HostError("the LV2 plug-in " + uri() +
                        " is neither a stereo nor a mono effect (it has " + std::to_string(inputs) +
                        " audio inputs and " + std::to_string(outputs) + " audio outputs)");
    }
    presets = findPresets(lv2, plugin);

    Lv2UridMap& urids = lv2.urids();
    const LV2_URID intType = urids.map(LV2_ATOM__Int);
    sequenceType = urids.map(LV2_ATOM__Sequence);
    chunkType = urids.map(LV2_ATOM__Chunk);
    options = {
        {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__minBlockLength), sizeof(std::int32_t),
         intType, &minBlockOption},
        {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__maxBlockLength), sizeof(std::int32_t),
         intType, &maxBlockOption},
        {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__nominalBlockLength), sizeof(std::int32_t),
         intType, &maxBlockOption},
        {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_PARAMETERS__sampleRate), sizeof(float),
         urids.map(LV2_ATOM__Float), &sampleRateOption},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    featureRecords = {{LV2_URID__map, urids.mapFeatureData()},
                      {LV2_URID__unmap, urids.unmapFeatureData()},
                      {LV2_OPTIONS__options, options.data()}};
    for (const char* promised : kPromisedFeatures)
        featureRecords.push_back({promised, nullptr});
    for (const LV2_Feature& feature : featureRecords)
        features.push_back(&feature);
    features.push_back(nullptr);

    portValues.assign(layout.portCount, 0.0f);
    for (const Lv2ControlPort& port : layout.controls)
        portValues[port.index] = port.defaultValue;
    const std::size_t frames = static_cast<std::size_t>(maxBlockFrames);
    silentInputs.assign(layout.silentInputs.size(), std::vector<float>(frames, 0.0f));
    ignoredOutputs.assign(layout.ignoredOutputs.size(), std::vector<float>(frames, 0.0f));

    const int instanceCount = stereo ? 1 : kStereoChannels;
    for (int channel = 0; channel < instanceCount; ++channel)
    {
        LilvInstance* instance = lilv_plugin_instantiate(plugin, sampleRateHz, features.data());
        if (instance == nullptr)
        {
            for (LilvInstance* made : instances)
                lilv_instance_free(made);
            throw HostError("the LV2 plug-in " + uri() +
                            " could not be instantiated (its library did not load or it refused "
                            "the sample rate of " +
                            std::to_string(static_cast<int>(sampleRateHz)) + " Hz)");
        }
        instances.push_back(instance);
        keepLibraryLoaded(plugin);
        for (const Lv2AtomPort& port : layout.atomInputs)
            atomInputs.emplace_back(atomWords(port.capacityBytes), 0);
        for (const Lv2AtomPort& port : layout.atomOutputs)
            atomOutputs.emplace_back(atomWords(port.capacityBytes), 0);
        connectFixedPorts(instance, static_cast<std::size_t>(channel));
    }
    resetAtomBuffers();
}

Lv2PluginInstance::~Lv2PluginInstance()
{
    stop();
    const std::lock_guard<std::mutex> lock(world->access());
    for (LilvInstance* instance : instances)
        lilv_instance_free(instance);
}

void Lv2PluginInstance::refuseMissingFeatures() const
{
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    std::string missing;
    LILV_FOREACH(nodes, entry, required)
    {
        const std::string uri = lv2NodeText(lilv_nodes_get(required, entry));
        const bool given = uri == LV2_URID__map || uri == LV2_URID__unmap ||
                           uri == LV2_OPTIONS__options ||
                           std::find(std::begin(kPromisedFeatures), std::end(kPromisedFeatures),
                                     uri) != std::end(kPromisedFeatures);
        if (!given && missing.empty())
            missing = uri;
    }
    lilv_nodes_free(required);
    if (!missing.empty())
        throw HostError("the LV2 plug-in " + uri() + " requires the feature " + missing +
                        ", which varnholt-render does not provide");
}

void Lv2PluginInstance::refuseMissingLibrary() const
{
    char* path =
        lilv_file_uri_parse(lv2NodeText(lilv_plugin_get_library_uri(plugin)).c_str(), nullptr);
    const std::string library = path != nullptr ? path : "";
    lilv_free(path);
    std::error_code error;
    if (library.empty())
        throw HostError("the LV2 plug-in " + uri() + " names no library (lv2:binary)");
    if (!std::filesystem::is_regular_file(library, error))
        throw HostError("the LV2 plug-in " + uri() + "'s library " + library + " does not exist");
}

std::string Lv2PluginInstance::uri() const
{
    return lv2NodeText(lilv_plugin_get_uri(plugin));
}

void Lv2PluginInstance::connectFixedPorts(LilvInstance* instance, std::size_t instanceNumber)
{
    const std::size_t atomInputsFrom = instanceNumber * layout.atomInputs.size();
    const std::size_t atomOutputsFrom = instanceNumber * layout.atomOutputs.size();
    for (const Lv2ControlPort& port : layout.controls)
        lilv_instance_connect_port(instance, port.index, &portValues[port.index]);
    for (std::uint32_t port : layout.controlOutputs)
        lilv_instance_connect_port(instance, port, &portValues[port]);
    for (std::size_t port = 0; port < layout.silentInputs.size(); ++port)
        lilv_instance_connect_port(instance, layout.silentInputs[port], silentInputs[port].data());
    for (std::size_t port = 0; port < layout.ignoredOutputs.size(); ++port)
        lilv_instance_connect_port(instance, layout.ignoredOutputs[port],
                                   ignoredOutputs[port].data());
    for (std::size_t port = 0; port < layout.atomInputs.size(); ++port)
        lilv_instance_connect_port(instance, layout.atomInputs[port].index,
                                   atomInputs[atomInputsFrom + port].data());
    for (std::size_t port = 0; port < layout.atomOutputs.size(); ++port)
        lilv_instance_connect_port(instance, layout.atomOutputs[port].index,
                                   atomOutputs[atomOutputsFrom + port].data());
    for (std::uint32_t port : layout.unconnected)
        lilv_instance_connect_port(instance, port, nullptr);
}

// Inputs get an empty event sequence; outputs are offered their whole capacity.
void Lv2PluginInstance::resetAtomBuffers()
{
    for (std::vector<std::uint64_t>& buffer : atomInputs)
    {
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(buffer.data());
        sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
        sequence->atom.type = sequenceType;
        sequence->body.unit = 0;
        sequence->body.pad = 0;
    }
    for (std::vector<std::uint64_t>& buffer : atomOutputs)
    {
        auto* atom = reinterpret_cast<LV2_Atom*>(buffer.data());
        atom->size =
            static_cast<std::uint32_t>(buffer.size() * sizeof(std::uint64_t) - sizeof(LV2_Atom));
        atom->type = chunkType;
    }
}

std::string Lv2PluginInstance::name() const
{
    return pluginName;
}

std::string Lv2PluginInstance::programName(int program) const
{
    if (program < 0 || program >= numPrograms())
        return {};
    return presets[static_cast<std::size_t>(program)].label;
}

void Lv2PluginInstance::setProgram(int program)
{
    if (program < 0 || program >= numPrograms())
        return;
    const std::lock_guard<std::mutex> lock(world->access());
    applyPreset(*world, presets[static_cast<std::size_t>(program)], instances, features.data(),
                [this](const std::string& symbol, float value)
                {
                    for (const Lv2ControlPort& port : layout.controls)
                        if (port.symbol == symbol)
                            portValues[port.index] = value;
                });
}

const Lv2ControlPort* Lv2PluginInstance::control(int param) const
{
    if (param < 0 || param >= numParams())
        return nullptr;
    return &layout.controls[static_cast<std::size_t>(param)];
}

std::string Lv2PluginInstance::paramName(int param) const
{
    const Lv2ControlPort* port = control(param);
    return port != nullptr ? port->name : std::string();
}

std::string Lv2PluginInstance::paramSymbol(int param) const
{
    const Lv2ControlPort* port = control(param);
    return port != nullptr ? port->symbol : std::string();
}

int Lv2PluginInstance::varnholtParamId(int param) const
{
    if (uri() != lv2_identity::kPluginUri)
        return -1;
    const std::string symbol = paramSymbol(param);
    for (int index = 0; index < kNumParams; ++index)
        if (symbol == kUserUnits[index].symbol)
            return index;
    return -1;
}

std::string Lv2PluginInstance::paramLabel(int param) const
{
    const Lv2ControlPort* port = control(param);
    return port != nullptr ? port->unitSymbol : std::string();
}

// The scale point's label where the value has one, on/off for toggles, else the number.
std::string Lv2PluginInstance::paramDisplay(int param) const
{
    const Lv2ControlPort* port = control(param);
    if (port == nullptr)
        return {};
    const float value = portValues[port->index];
    for (const auto& [pointValue, label] : port->scalePoints)
        if (pointValue == value)
            return label;
    if (port->toggled)
        return value > 0.0f ? "on" : "off";
    std::ostringstream text;
    text.precision(kDisplayDigits);
    text << value;
    return text.str();
}

float Lv2PluginInstance::paramMinimum(int param) const
{
    const Lv2ControlPort* port = control(param);
    return port != nullptr ? port->minimum : 0.0f;
}

float Lv2PluginInstance::paramMaximum(int param) const
{
    const Lv2ControlPort* port = control(param);
    return port != nullptr ? port->maximum : 0.0f;
}

void Lv2PluginInstance::setParam(int param, float value)
{
    if (const Lv2ControlPort* port = control(param))
        portValues[port->index] = value;
}

float Lv2PluginInstance::paramValue(int param) const
{
    const Lv2ControlPort* port = control(param);
    return port != nullptr ? portValues[port->index] : 0.0f;
}

void Lv2PluginInstance::start()
{
    if (running)
        return;
    for (LilvInstance* instance : instances)
        lilv_instance_activate(instance);
    running = true;
}

void Lv2PluginInstance::process(const float* const input[2], float* const output[2], int frames,
                                double)
{
    resetAtomBuffers();
    const std::uint32_t count = static_cast<std::uint32_t>(frames);
    for (std::size_t channel = 0; channel < instances.size(); ++channel)
    {
        LilvInstance* instance = instances[channel];
        // A mono plug-in's instance takes one channel; a stereo one takes both.
        for (std::size_t port = 0; port < layout.mainInputs.size(); ++port)
        {
            lilv_instance_connect_port(instance, layout.mainInputs[port],
                                       const_cast<float*>(input[channel + port]));
            lilv_instance_connect_port(instance, layout.mainOutputs[port], output[channel + port]);
        }
        for (std::vector<float>& silence : silentInputs)
            std::fill_n(silence.begin(), frames, 0.0f);
        lilv_instance_run(instance, count);
    }
}

void Lv2PluginInstance::stop()
{
    if (!running)
        return;
    for (LilvInstance* instance : instances)
        lilv_instance_deactivate(instance);
    running = false;
}

int Lv2PluginInstance::latencyFrames() const
{
    if (layout.latencyPort < 0)
        return 0;
    // A plug-in's own figure: one far beyond any look-ahead would have us feed silence for hours.
    const float frames = portValues[static_cast<std::size_t>(layout.latencyPort)];
    if (!(frames >= 0.0f && frames <= kMaxLatencyFrames))
        return 0;
    return static_cast<int>(std::lround(frames));
}
