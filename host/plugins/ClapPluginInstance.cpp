#include "host/plugins/ClapPluginInstance.h"

#include "clap/PresetDiscovery.h"
#include "clapplugin/ClapIdentity.h"
#include "host/HostError.h"
#include "parameters/Parameters.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace
{
constexpr std::uint32_t kStereoChannels = 2;
constexpr std::size_t kDisplaySize = 64;
// About 20 s at 48 kHz: far beyond any look-ahead a plug-in could honestly state.
constexpr std::uint32_t kMaxLatencyFrames = 1 << 20;

template <typename Extension>
const Extension* pluginExtension(const clap_plugin* plugin, const char* id)
{
    return static_cast<const Extension*>(plugin->get_extension(plugin, id));
}

// Presets the library lists inside itself, for one plug-in id.
struct PresetCollector
{
    std::string pluginId;
    std::vector<std::pair<std::string, std::string>> found; // name, load key
    bool forThisPlugin = true;
    bool inPluginLocation = false;
};

const clap_preset_discovery_indexer* makeIndexer(clap_preset_discovery_indexer& indexer,
                                                 PresetCollector& collector)
{
    indexer = {};
    indexer.clap_version = kClapVersion;
    indexer.name = "varnholt-render";
    indexer.vendor = "";
    indexer.url = "";
    indexer.version = "";
    indexer.indexer_data = &collector;
    indexer.declare_filetype = [](const clap_preset_discovery_indexer*,
                                  const clap_preset_discovery_filetype*) { return true; };
    indexer.declare_location = [](const clap_preset_discovery_indexer* self,
                                  const clap_preset_discovery_location* location)
    {
        if (location != nullptr && location->kind == kClapPresetLocationPlugin)
            static_cast<PresetCollector*>(self->indexer_data)->inPluginLocation = true;
        return true;
    };
    indexer.declare_soundpack = [](const clap_preset_discovery_indexer*,
                                   const clap_preset_discovery_soundpack*) { return true; };
    indexer.get_extension = [](const clap_preset_discovery_indexer*, const char*) -> const void*
    { return nullptr; };
    return &indexer;
}

void makeReceiver(clap_preset_discovery_metadata_receiver& receiver, PresetCollector& collector)
{
    receiver = {};
    receiver.receiver_data = &collector;
    receiver.on_error = [](const clap_preset_discovery_metadata_receiver*, std::int32_t,
                           const char*) {};
    receiver.begin_preset =
        [](const clap_preset_discovery_metadata_receiver* self, const char* name, const char* key)
    {
        auto& c = *static_cast<PresetCollector*>(self->receiver_data);
        if (name == nullptr || key == nullptr)
            return false;
        c.found.emplace_back(name, key);
        return true;
    };
    // A preset for another plug-in of the same library is dropped again.
    receiver.add_plugin_id =
        [](const clap_preset_discovery_metadata_receiver* self, const clap_universal_plugin_id* id)
    {
        auto& c = *static_cast<PresetCollector*>(self->receiver_data);
        if (id != nullptr && id->abi != nullptr && id->id != nullptr &&
            std::strcmp(id->abi, "clap") == 0 && c.pluginId != id->id && !c.found.empty())
            c.found.pop_back();
    };
    receiver.set_soundpack_id = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
    receiver.set_flags = [](const clap_preset_discovery_metadata_receiver*, std::uint32_t) {};
    receiver.add_creator = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
    receiver.set_description = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
    receiver.set_timestamps = [](const clap_preset_discovery_metadata_receiver*, clap_timestamp,
                                 clap_timestamp) {};
    receiver.add_feature = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
    receiver.add_extra_info = [](const clap_preset_discovery_metadata_receiver*, const char*,
                                 const char*) {};
}
} // namespace

ClapPluginLibrary openClapLibrary(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw HostError("plug-in not found: " + path);
    ClapPluginLibrary library;
    library.path = std::filesystem::absolute(path, error).string();
    void* handle = dlopen(library.path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw HostError("cannot load plug-in " + path + ": " + dlerror());
    library.entry = static_cast<const clap_plugin_entry*>(dlsym(handle, "clap_entry"));
    if (library.entry == nullptr || library.entry->init == nullptr ||
        library.entry->get_factory == nullptr)
        throw HostError("not a CLAP plug-in (no clap_entry): " + path);
    if (!clapVersionIsCompatible(library.entry->clap_version))
        throw HostError("the CLAP plug-in " + path + " speaks an unknown interface version");
    if (!library.entry->init(library.path.c_str()))
        throw HostError("the CLAP plug-in " + path + " refused to initialise");
    library.factory =
        static_cast<const clap_plugin_factory*>(library.entry->get_factory(kClapPluginFactoryId));
    if (library.factory == nullptr)
        throw HostError("the CLAP library " + path + " offers no plug-in factory");
    const std::uint32_t count = library.factory->get_plugin_count(library.factory);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const clap_plugin_descriptor* descriptor =
            library.factory->get_plugin_descriptor(library.factory, i);
        if (descriptor != nullptr && descriptor->id != nullptr)
            library.pluginIds.emplace_back(descriptor->id);
    }
    if (library.pluginIds.empty())
        throw HostError("the CLAP library " + path + " holds no plug-in");
    return library;
}

ClapPluginInstance::ClapPluginInstance(const ClapPluginLibrary& library,
                                       const std::string& pluginId, double sampleRateHz,
                                       int maxBlockFrames)
    : sampleRate(sampleRateHz), maxBlock(maxBlockFrames)
{
    host.clap_version = kClapVersion;
    host.host_data = this;
    host.name = "varnholt-render";
    host.vendor = "VH";
    host.url = "";
    host.version = "1";
    hostParams.rescan = [](const clap_host*, std::uint32_t) {};
    hostParams.clear = [](const clap_host*, clap_id, std::uint32_t) {};
    hostParams.request_flush = [](const clap_host*) {};
    hostState.mark_dirty = [](const clap_host*) {};
    hostLatency.changed = [](const clap_host*) {};
    threadCheck.is_main_thread = [](const clap_host* h)
    { return !static_cast<const ClapPluginInstance*>(h->host_data)->inProcess; };
    threadCheck.is_audio_thread = [](const clap_host* h)
    { return static_cast<const ClapPluginInstance*>(h->host_data)->inProcess; };
    host.get_extension = [](const clap_host* h, const char* id) -> const void*
    {
        const auto* self = static_cast<const ClapPluginInstance*>(h->host_data);
        if (id == nullptr)
            return nullptr;
        if (std::strcmp(id, kClapExtParams) == 0)
            return &self->hostParams;
        if (std::strcmp(id, kClapExtState) == 0)
            return &self->hostState;
        if (std::strcmp(id, kClapExtLatency) == 0)
            return &self->hostLatency;
        if (std::strcmp(id, kClapExtThreadCheck) == 0)
            return &self->threadCheck;
        return nullptr;
    };
    // The renderer calls process without being asked and asks for nothing later.
    host.request_restart = [](const clap_host*) {};
    host.request_process = [](const clap_host*) {};
    host.request_callback = [](const clap_host*) {};

    plugin = createInstance(library, pluginId);
    instances.push_back(plugin);
    pluginName = plugin->desc != nullptr && plugin->desc->name != nullptr ? plugin->desc->name : "";
    readPorts();
    addLane();
    if (mainChannels == 1)
    {
        try
        {
            instances.push_back(createInstance(library, pluginId));
        }
        catch (const HostError&)
        {
            plugin->destroy(plugin);
            throw;
        }
        addLane();
    }
    paramsExt = pluginExtension<clap_plugin_params>(plugin, kClapExtParams);
    const std::uint32_t count = paramsExt != nullptr ? paramsExt->count(plugin) : 0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        clap_param_info info{};
        // Read-only parameters are the plug-in's meters, hidden ones not for users.
        constexpr std::uint32_t kNotSettable = kClapParamIsReadonly | kClapParamIsHidden;
        if (paramsExt->get_info(plugin, i, &info) && (info.flags & kNotSettable) == 0)
        {
            info.name[sizeof info.name - 1] = '\0';
            params.push_back(info);
        }
    }
    readPresets(library, pluginId);
    varnholt = pluginId == clap_identity::kPluginId && numParams() == kNumParams;
}

int ClapPluginInstance::varnholtParamId(int param) const
{
    if (!varnholt || param < 0 || param >= numParams())
        return -1;
    return isParamIndex(static_cast<int>(params[param].id)) ? static_cast<int>(params[param].id)
                                                            : -1;
}

ClapPluginInstance::~ClapPluginInstance()
{
    stop();
    for (const clap_plugin* instance : instances)
        instance->destroy(instance);
}

const clap_plugin* ClapPluginInstance::createInstance(const ClapPluginLibrary& library,
                                                      const std::string& pluginId)
{
    const clap_plugin* made =
        library.factory->create_plugin(library.factory, &host, pluginId.c_str());
    if (made == nullptr)
        throw HostError("the CLAP plug-in " + pluginId + " could not be created");
    if (!made->init(made))
    {
        made->destroy(made);
        throw HostError("the CLAP plug-in " + pluginId + " refused to initialise");
    }
    return made;
}

void ClapPluginInstance::destroyAndRefuse(const std::string& message)
{
    for (const clap_plugin* instance : instances)
        instance->destroy(instance);
    throw HostError(message);
}

void ClapPluginInstance::readPorts()
{
    const auto* ports = pluginExtension<clap_plugin_audio_ports>(plugin, kClapExtAudioPorts);
    if (ports == nullptr)
        destroyAndRefuse("the CLAP plug-in " + pluginName + " states no audio ports");
    for (const bool isInput : {true, false})
    {
        Ports& side = isInput ? inputs : outputs;
        bool mainFound = false;
        const std::uint32_t count = ports->count(plugin, isInput);
        for (std::uint32_t i = 0; i < count; ++i)
        {
            clap_audio_port_info info{};
            if (!ports->get(plugin, i, isInput, &info))
                destroyAndRefuse("the CLAP plug-in " + pluginName + " does not describe its ports");
            side.channels.push_back(info.channel_count);
            if ((info.flags & kClapAudioPortIsMain) != 0 && !mainFound)
            {
                side.main = i;
                mainFound = true;
            }
        }
    }
    const std::uint32_t in = inputs.channels.empty() ? 0 : inputs.channels[inputs.main];
    const std::uint32_t out = outputs.channels.empty() ? 0 : outputs.channels[outputs.main];
    if (in != out || (in != 1 && in != kStereoChannels))
    {
        destroyAndRefuse("the CLAP plug-in " + pluginName +
                         " is neither a stereo nor a mono effect (its main input has " +
                         std::to_string(in) + " channels, its main output " + std::to_string(out) +
                         ")");
    }
    mainChannels = in;
}

void ClapPluginInstance::addLane()
{
    // Every port has its pointers; the main ones are filled per block, the others point at
    // silence (inputs) or scratch (outputs) of the largest block.
    const auto frames = static_cast<std::size_t>(maxBlock);
    Lane& lane = lanes.emplace_back();
    for (const bool isInput : {true, false})
    {
        const Ports& side = isInput ? inputs : outputs;
        auto& pointers = isInput ? lane.inputPointers : lane.outputPointers;
        auto& buffers = isInput ? lane.inputBuffers : lane.outputBuffers;
        for (std::size_t port = 0; port < side.channels.size(); ++port)
        {
            std::vector<float*> channelPointers;
            for (std::uint32_t channel = 0; channel < side.channels[port]; ++channel)
            {
                spareSamples.emplace_back(frames, 0.0f);
                channelPointers.push_back(spareSamples.back().data());
            }
            pointers.push_back(std::move(channelPointers));
        }
        for (std::size_t port = 0; port < side.channels.size(); ++port)
        {
            clap_audio_buffer buffer{};
            buffer.data32 = pointers[port].data();
            buffer.channel_count = side.channels[port];
            buffers.push_back(buffer);
        }
    }
}

void ClapPluginInstance::readPresets(const ClapPluginLibrary& library, const std::string& pluginId)
{
    const void* found = library.entry->get_factory(kClapPresetDiscoveryFactoryId);
    if (found == nullptr)
        found = library.entry->get_factory(kClapPresetDiscoveryFactoryIdCompat);
    const auto* factory = static_cast<const clap_preset_discovery_factory*>(found);
    const bool loads =
        pluginExtension<clap_plugin_preset_load>(plugin, kClapExtPresetLoad) != nullptr ||
        pluginExtension<clap_plugin_preset_load>(plugin, kClapExtPresetLoadCompat) != nullptr;
    if (factory == nullptr || !loads)
        return;
    const std::uint32_t count = factory->count(factory);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const clap_preset_discovery_provider_descriptor* descriptor =
            factory->get_descriptor(factory, i);
        if (descriptor == nullptr || descriptor->id == nullptr)
            continue;
        PresetCollector collector{pluginId, {}, true, false};
        clap_preset_discovery_indexer indexer;
        const clap_preset_discovery_provider* provider =
            factory->create(factory, makeIndexer(indexer, collector), descriptor->id);
        if (provider == nullptr)
            continue;
        clap_preset_discovery_metadata_receiver receiver;
        makeReceiver(receiver, collector);
        // Only presets inside the library: files would need a crawl of their locations.
        if (provider->init(provider) && collector.inPluginLocation)
            provider->get_metadata(provider, kClapPresetLocationPlugin, nullptr, &receiver);
        provider->destroy(provider);
        for (auto& [name, key] : collector.found)
            presets.push_back({name, key});
    }
}

std::string ClapPluginInstance::programName(int program) const
{
    return program >= 0 && program < numPrograms() ? presets[program].name : std::string();
}

void ClapPluginInstance::setProgram(int program)
{
    if (program < 0 || program >= numPrograms())
        return;
    for (const clap_plugin* instance : instances)
    {
        const auto* load = pluginExtension<clap_plugin_preset_load>(instance, kClapExtPresetLoad);
        if (load == nullptr)
            load = pluginExtension<clap_plugin_preset_load>(instance, kClapExtPresetLoadCompat);
        if (load == nullptr || !load->from_location(instance, kClapPresetLocationPlugin, nullptr,
                                                    presets[program].loadKey.c_str()))
        {
            throw HostError("the CLAP plug-in " + pluginName + " did not load its preset \"" +
                            presets[program].name + "\"");
        }
    }
}

std::string ClapPluginInstance::paramName(int param) const
{
    return param >= 0 && param < numParams() ? params[param].name : std::string();
}

std::string ClapPluginInstance::paramDisplay(int param) const
{
    if (param < 0 || param >= numParams())
        return {};
    const double value = paramValue(param);
    char text[kDisplaySize] = {};
    if (paramsExt->value_to_text(plugin, params[param].id, value, text, sizeof text))
    {
        text[sizeof text - 1] = '\0';
        return text;
    }
    char number[kDisplaySize];
    std::snprintf(number, sizeof number, "%g", value);
    return number;
}

float ClapPluginInstance::paramMinimum(int param) const
{
    return param >= 0 && param < numParams() ? static_cast<float>(params[param].min_value) : 0.0f;
}

float ClapPluginInstance::paramMaximum(int param) const
{
    return param >= 0 && param < numParams() ? static_cast<float>(params[param].max_value) : 0.0f;
}

void ClapPluginInstance::setParam(int param, float value)
{
    if (param < 0 || param >= numParams() || !std::isfinite(value))
        return;
    clap_event_param_value event{};
    event.header = {sizeof event, 0, kClapCoreEventSpace, kClapEventParamValue, 0};
    event.param_id = params[param].id;
    event.cookie = params[param].cookie;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    pending.push_back(event);
    if (!active)
        flushPending();
}

float ClapPluginInstance::paramValue(int param) const
{
    double value = 0.0;
    if (param < 0 || param >= numParams() ||
        !paramsExt->get_value(plugin, params[param].id, &value))
        return 0.0f;
    return static_cast<float>(value);
}

namespace
{
struct PendingEvents
{
    static const clap_input_events* list(clap_input_events& in,
                                         std::vector<clap_event_param_value>& events)
    {
        in.ctx = &events;
        in.size = [](const clap_input_events* self)
        {
            return static_cast<std::uint32_t>(
                static_cast<std::vector<clap_event_param_value>*>(self->ctx)->size());
        };
        in.get = [](const clap_input_events* self, std::uint32_t index) -> const clap_event_header*
        {
            auto& all = *static_cast<std::vector<clap_event_param_value>*>(self->ctx);
            return index < all.size() ? &all[index].header : nullptr;
        };
        return &in;
    }
};

// The renderer records no automation: what a plug-in tells it is accepted and dropped.
const clap_output_events kIgnoredOutput = {
    nullptr, [](const clap_output_events*, const clap_event_header*) { return true; }};
} // namespace

void ClapPluginInstance::flushPending()
{
    if (pending.empty() || paramsExt == nullptr || paramsExt->flush == nullptr)
        return;
    clap_input_events in{};
    for (const clap_plugin* instance : instances)
        paramsExt->flush(instance, PendingEvents::list(in, pending), &kIgnoredOutput);
    pending.clear();
}

void ClapPluginInstance::start()
{
    if (active)
        return;
    for (std::size_t i = 0; i < instances.size(); ++i)
    {
        const clap_plugin* instance = instances[i];
        if (!instance->activate(instance, sampleRate, 1, static_cast<std::uint32_t>(maxBlock)))
        {
            for (std::size_t started = 0; started < i; ++started)
            {
                instances[started]->stop_processing(instances[started]);
                instances[started]->deactivate(instances[started]);
            }
            throw HostError("the CLAP plug-in " + pluginName + " refused to start at " +
                            std::to_string(static_cast<int>(sampleRate)) + " Hz");
        }
        inProcess = true;
        instance->start_processing(instance);
        inProcess = false;
    }
    active = true;
}

void ClapPluginInstance::process(const float* const input[2], float* const output[2], int frames,
                                 double samplePos)
{
    if (!active || frames <= 0)
        return;
    clap_input_events events{};
    clap_process data{};
    data.steady_time = static_cast<std::int64_t>(samplePos);
    data.frames_count = static_cast<std::uint32_t>(std::min(frames, maxBlock));
    data.in_events = PendingEvents::list(events, pending);
    data.out_events = &kIgnoredOutput;
    for (std::size_t i = 0; i < instances.size(); ++i)
    {
        Lane& lane = lanes[i];
        float** in = lane.inputPointers[inputs.main].data();
        float** out = lane.outputPointers[outputs.main].data();
        // A stereo instance takes both channels, each of a mono pair its own.
        for (std::uint32_t channel = 0; channel < mainChannels; ++channel)
        {
            in[channel] = const_cast<float*>(input[i + channel]);
            out[channel] = output[i + channel];
        }
        data.audio_inputs = lane.inputBuffers.data();
        data.audio_outputs = lane.outputBuffers.data();
        data.audio_inputs_count = static_cast<std::uint32_t>(lane.inputBuffers.size());
        data.audio_outputs_count = static_cast<std::uint32_t>(lane.outputBuffers.size());
        inProcess = true;
        const clap_process_status status = instances[i]->process(instances[i], &data);
        inProcess = false;
        if (status == kClapProcessError)
            throw HostError("the CLAP plug-in " + pluginName + " failed to process a block");
    }
    pending.clear();
}

void ClapPluginInstance::stop()
{
    if (!active)
        return;
    for (const clap_plugin* instance : instances)
    {
        inProcess = true;
        instance->stop_processing(instance);
        inProcess = false;
        instance->deactivate(instance);
    }
    active = false;
}

int ClapPluginInstance::latencyFrames() const
{
    const auto* latency = pluginExtension<clap_plugin_latency>(plugin, kClapExtLatency);
    if (latency == nullptr)
        return 0;
    return static_cast<int>(std::min(latency->get(plugin), kMaxLatencyFrames));
}
