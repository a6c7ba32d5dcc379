// The library's one exported symbol, clap_entry, its plug-in factory and the C entry points of
// the plug-in and its extensions. No exception may cross into the host's C code: the calls that
// allocate answer failure instead.
#include <cstring>
#include <new>

#include "clap/Extensions.h"
#include "clap/Gui.h"
#include "clap/PresetDiscovery.h"
#include "clapplugin/ClapEditor.h"
#include "clapplugin/ClapIdentity.h"
#include "clapplugin/ClapLimiter.h"
#include "clapplugin/ClapParameterInfo.h"
#include "clapplugin/ClapPresetDiscovery.h"
#include "engine/LimiterEngine.h"

namespace
{
constexpr std::uint32_t kStereoChannels = 2;
constexpr clap_id kMainPortId = 0;

const char* const kFeatures[] = {"audio-effect", "stereo", "limiter", "mastering", nullptr};

const clap_plugin_descriptor kDescriptor = {
    kClapVersion,
    clap_identity::kPluginId,
    clap_identity::kPluginName,
    clap_identity::kVendorName,
    "",
    "",
    "",
    VARNHOLT_VERSION_TEXT,
    clap_identity::kDescription,
    kFeatures,
};

ClapLimiter& limiter(const clap_plugin* plugin)
{
    return ClapLimiter::of(plugin);
}

// Audio ports: one main stereo pair each way, processed in place where the host likes.
std::uint32_t audioPortCount(const clap_plugin*, bool)
{
    return 1;
}

bool audioPortInfo(const clap_plugin*, std::uint32_t index, bool isInput,
                   clap_audio_port_info* info)
{
    if (index != 0 || info == nullptr)
        return false;
    *info = {};
    info->id = kMainPortId;
    std::strcpy(info->name, isInput ? "Input" : "Output");
    info->flags = kClapAudioPortIsMain | kClapAudioPortSupports64Bits |
                  kClapAudioPortRequiresCommonSampleSize;
    info->channel_count = kStereoChannels;
    info->port_type = kClapPortStereo;
    info->in_place_pair = kMainPortId;
    return true;
}

const clap_plugin_audio_ports kAudioPorts = {audioPortCount, audioPortInfo};

std::uint32_t paramCount(const clap_plugin*)
{
    return kNumParams;
}

bool paramInfo(const clap_plugin*, std::uint32_t index, clap_param_info* info)
{
    return info != nullptr && describeParameter(index, *info);
}

bool paramValue(const clap_plugin* plugin, clap_id id, double* value)
{
    if (value == nullptr || id >= static_cast<clap_id>(kNumParams))
        return false;
    *value =
        plainValueOf(static_cast<int>(id), limiter(plugin).parameterValue(static_cast<int>(id)));
    return true;
}

bool paramValueToText(const clap_plugin*, clap_id id, double value, char* display,
                      std::uint32_t size)
{
    try
    {
        return plainValueText(id, value, display, size);
    }
    catch (...)
    {
        return false;
    }
}

bool paramTextToValue(const clap_plugin*, clap_id id, const char* display, double* value)
{
    try
    {
        const std::optional<double> plain = plainValueFromText(id, display);
        if (!plain || value == nullptr)
            return false;
        *value = *plain;
        return true;
    }
    catch (...)
    {
        return false;
    }
}

void paramFlush(const clap_plugin* plugin, const clap_input_events* in,
                const clap_output_events* out)
{
    limiter(plugin).flush(in, out);
}

const clap_plugin_params kParams = {paramCount,       paramInfo,        paramValue,
                                    paramValueToText, paramTextToValue, paramFlush};

bool stateSave(const clap_plugin* plugin, const clap_ostream* stream)
{
    try
    {
        return stream != nullptr && limiter(plugin).onMainThread() &&
               limiter(plugin).saveState(*stream);
    }
    catch (...)
    {
        return false;
    }
}

bool stateLoad(const clap_plugin* plugin, const clap_istream* stream)
{
    try
    {
        return stream != nullptr && limiter(plugin).onMainThread() &&
               limiter(plugin).loadState(*stream);
    }
    catch (...)
    {
        return false;
    }
}

const clap_plugin_state kState = {stateSave, stateLoad};

// Every context keeps the same: the whole sound, program included.
bool stateContextSave(const clap_plugin* plugin, const clap_ostream* stream, std::uint32_t)
{
    return stateSave(plugin, stream);
}

bool stateContextLoad(const clap_plugin* plugin, const clap_istream* stream, std::uint32_t)
{
    return stateLoad(plugin, stream);
}

const clap_plugin_state_context kStateContext = {stateContextSave, stateContextLoad};

std::uint32_t latencyFrames(const clap_plugin*)
{
    return LimiterEngine::kLatencyFrames;
}

const clap_plugin_latency kLatency = {latencyFrames};

// The look-ahead delay still holds this many frames of sound when the input falls silent.
std::uint32_t tailFrames(const clap_plugin*)
{
    return LimiterEngine::kLatencyFrames;
}

const clap_plugin_tail kTail = {tailFrames};

// Offline and real-time render the same samples.
bool renderHasHardRealtimeRequirement(const clap_plugin*)
{
    return false;
}

bool renderSet(const clap_plugin*, std::int32_t mode)
{
    return mode == kClapRenderRealtime || mode == kClapRenderOffline;
}

const clap_plugin_render kRender = {renderHasHardRealtimeRequirement, renderSet};

bool presetFromLocation(const clap_plugin* plugin, std::uint32_t kind, const char* location,
                        const char* loadKey)
{
    ClapLimiter& instance = limiter(plugin);
    if (kind != kClapPresetLocationPlugin || !instance.onMainThread() ||
        !instance.loadFactoryProgram(loadKey))
        return false;
    instance.presetLoaded(kind, location, loadKey);
    return true;
}

const clap_plugin_preset_load kPresetLoad = {presetFromLocation};

double gainAdjustment(const clap_plugin* plugin)
{
    return limiter(plugin).gainAdjustmentDb();
}

const clap_plugin_gain_adjustment_metering kGainAdjustmentMetering = {gainAdjustment};

ClapEditor& editor(const clap_plugin* plugin)
{
    return limiter(plugin).getEditor();
}

bool guiIsApiSupported(const clap_plugin*, const char* api, bool isFloating)
{
    return ClapEditor::isApiSupported(api, isFloating);
}

bool guiPreferredApi(const clap_plugin*, const char** api, bool* isFloating)
{
    if (api == nullptr || isFloating == nullptr)
        return false;
    *api = kClapWindowApiX11;
    *isFloating = false;
    return true;
}

bool guiCreate(const clap_plugin* plugin, const char* api, bool isFloating)
{
    return editor(plugin).create(api, isFloating);
}

void guiDestroy(const clap_plugin* plugin)
{
    editor(plugin).destroy();
}

bool guiSetScale(const clap_plugin* plugin, double scale)
{
    return editor(plugin).setScale(scale);
}

bool guiGetSize(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height)
{
    return width != nullptr && height != nullptr && editor(plugin).getSize(*width, *height);
}

bool guiCanResize(const clap_plugin*)
{
    return true;
}

bool guiResizeHints(const clap_plugin*, clap_gui_resize_hints* hints)
{
    if (hints == nullptr)
        return false;
    hints->can_resize_horizontally = true;
    hints->can_resize_vertically = true;
    hints->preserve_aspect_ratio = true;
    hints->aspect_ratio_width = 3;
    hints->aspect_ratio_height = 2;
    return true;
}

bool guiAdjustSize(const clap_plugin*, std::uint32_t* width, std::uint32_t* height)
{
    if (width == nullptr || height == nullptr)
        return false;
    ClapEditor::adjustSize(*width, *height);
    return true;
}

bool guiSetSize(const clap_plugin* plugin, std::uint32_t width, std::uint32_t height)
{
    return editor(plugin).setSize(width, height);
}

bool guiSetParent(const clap_plugin* plugin, const clap_window* window)
{
    return window != nullptr && editor(plugin).setParent(*window);
}

bool guiSetTransient(const clap_plugin*, const clap_window*)
{
    return false;
}

void guiSuggestTitle(const clap_plugin*, const char*) {}

bool guiShow(const clap_plugin* plugin)
{
    return editor(plugin).show();
}

bool guiHide(const clap_plugin* plugin)
{
    return editor(plugin).hide();
}

const clap_plugin_gui kGui = {guiIsApiSupported, guiPreferredApi, guiCreate,    guiDestroy,
                              guiSetScale,       guiGetSize,      guiCanResize, guiResizeHints,
                              guiAdjustSize,     guiSetSize,      guiSetParent, guiSetTransient,
                              guiSuggestTitle,   guiShow,         guiHide};

void onTimer(const clap_plugin* plugin, clap_id timer)
{
    editor(plugin).onTimer(timer);
}

const clap_plugin_timer_support kTimerSupport = {onTimer};

void onFd(const clap_plugin* plugin, int fd, std::uint32_t)
{
    editor(plugin).onFd(fd);
}

const clap_plugin_posix_fd_support kFdSupport = {onFd};

struct ExtensionEntry
{
    const char* id;
    const void* extension;
};

const ExtensionEntry kExtensions[] = {
    {kClapExtAudioPorts, &kAudioPorts},
    {kClapExtParams, &kParams},
    {kClapExtState, &kState},
    {kClapExtStateContext, &kStateContext},
    {kClapExtLatency, &kLatency},
    {kClapExtTail, &kTail},
    {kClapExtRender, &kRender},
    {kClapExtPresetLoad, &kPresetLoad},
    {kClapExtPresetLoadCompat, &kPresetLoad},
    {kClapExtGainAdjustmentMetering, &kGainAdjustmentMetering},
    {kClapExtGui, &kGui},
    {kClapExtTimerSupport, &kTimerSupport},
    {kClapExtPosixFdSupport, &kFdSupport},
};

bool pluginInit(const clap_plugin* plugin)
{
    return limiter(plugin).init();
}

void pluginDestroy(const clap_plugin* plugin)
{
    delete &limiter(plugin);
}

bool pluginActivate(const clap_plugin* plugin, double sampleRateHz, std::uint32_t, std::uint32_t)
{
    return limiter(plugin).activate(sampleRateHz);
}

void pluginDeactivate(const clap_plugin* plugin)
{
    limiter(plugin).deactivate();
}

bool pluginStartProcessing(const clap_plugin*)
{
    return true;
}

void pluginStopProcessing(const clap_plugin*) {}

void pluginReset(const clap_plugin* plugin)
{
    limiter(plugin).reset();
}

clap_process_status pluginProcess(const clap_plugin* plugin, const clap_process* data)
{
    return data != nullptr ? limiter(plugin).process(*data) : kClapProcessError;
}

const void* pluginExtension(const clap_plugin*, const char* id)
{
    if (id == nullptr)
        return nullptr;
    for (const ExtensionEntry& entry : kExtensions)
        if (std::strcmp(id, entry.id) == 0)
            return entry.extension;
    return nullptr;
}

void pluginOnMainThread(const clap_plugin*) {}

std::uint32_t factoryPluginCount(const clap_plugin_factory*)
{
    return 1;
}

const clap_plugin_descriptor* factoryDescriptor(const clap_plugin_factory*, std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin* factoryCreate(const clap_plugin_factory*, const clap_host* host, const char* id)
{
    if (host == nullptr || id == nullptr || std::strcmp(id, kDescriptor.id) != 0 ||
        !clapVersionIsCompatible(host->clap_version))
        return nullptr;
    try
    {
        auto* instance = new ClapLimiter(host, &kDescriptor);
        clap_plugin* plugin = instance->clapPluginRecord();
        plugin->init = pluginInit;
        plugin->destroy = pluginDestroy;
        plugin->activate = pluginActivate;
        plugin->deactivate = pluginDeactivate;
        plugin->start_processing = pluginStartProcessing;
        plugin->stop_processing = pluginStopProcessing;
        plugin->reset = pluginReset;
        plugin->process = pluginProcess;
        plugin->get_extension = pluginExtension;
        plugin->on_main_thread = pluginOnMainThread;
        return plugin;
    }
    catch (...)
    {
        return nullptr;
    }
}

const clap_plugin_factory kPluginFactory = {factoryPluginCount, factoryDescriptor, factoryCreate};

bool entryInit(const char*)
{
    return true;
}

void entryDeinit() {}

const void* entryFactory(const char* id)
{
    if (id == nullptr)
        return nullptr;
    if (std::strcmp(id, kClapPluginFactoryId) == 0)
        return &kPluginFactory;
    if (std::strcmp(id, kClapPresetDiscoveryFactoryId) == 0 ||
        std::strcmp(id, kClapPresetDiscoveryFactoryIdCompat) == 0)
        return presetDiscoveryFactory();
    return nullptr;
}
} // namespace

// Hosts look the entry up by the interface's own name.
// NOLINTBEGIN(readability-identifier-naming)
extern "C" __attribute__((visibility("default")))
const clap_plugin_entry clap_entry = {kClapVersion, entryInit, entryDeinit, entryFactory};
// NOLINTEND(readability-identifier-naming)
