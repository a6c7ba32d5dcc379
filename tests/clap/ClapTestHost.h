// A small CLAP host for the tests: loads the built VarnholtPro.clap as hosts do (dlopen, then
// clap_entry), creates instances with a host record that offers parameters, state, thread
// check, timers, fd watches, editor requests and preset loading, and records what the plug-in
// asks of it. Audio runs in the test's thread, which the thread check calls the audio thread
// only inside process.
#pragma once

#include <dlfcn.h>

#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "clap/Extensions.h"
#include "clap/Gui.h"
#include "clap/PresetDiscovery.h"
#include "tests/support/TestSignals.h"

class ClapLibrary
{
  public:
    ClapLibrary() : handle(dlopen(VARNHOLT_CLAP_PATH, RTLD_NOW | RTLD_LOCAL))
    {
        if (handle == nullptr)
            throw std::runtime_error(dlerror());
        entry = static_cast<const clap_plugin_entry*>(dlsym(handle, "clap_entry"));
        if (entry == nullptr || !entry->init(VARNHOLT_CLAP_PATH))
            throw std::runtime_error("no clap_entry");
    }
    ~ClapLibrary()
    {
        entry->deinit();
        dlclose(handle);
    }
    ClapLibrary(const ClapLibrary&) = delete;
    ClapLibrary& operator=(const ClapLibrary&) = delete;

    template <typename Factory> const Factory* factory(const char* id) const
    {
        return static_cast<const Factory*>(entry->get_factory(id));
    }
    static ClapLibrary& shared()
    {
        static ClapLibrary library;
        return library;
    }

  private:
    void* handle;
    const clap_plugin_entry* entry = nullptr;
};

// An event list the host hands to process or flush, events kept in order of addition.
class EventList
{
  public:
    void addValue(std::uint32_t time, clap_id id, double value)
    {
        clap_event_param_value event{};
        event.header = {sizeof event, time, kClapCoreEventSpace, kClapEventParamValue, 0};
        event.param_id = id;
        event.note_id = -1;
        event.port_index = -1;
        event.channel = -1;
        event.key = -1;
        event.value = value;
        addRaw(&event.header, sizeof event);
    }
    void addRaw(const clap_event_header* header, std::size_t bytes)
    {
        storage.emplace_back(reinterpret_cast<const char*>(header),
                             reinterpret_cast<const char*>(header) + bytes);
    }
    const clap_input_events* input()
    {
        in.ctx = this;
        in.size = [](const clap_input_events* list)
        { return static_cast<std::uint32_t>(static_cast<EventList*>(list->ctx)->storage.size()); };
        in.get = [](const clap_input_events* list, std::uint32_t index)
        {
            auto& events = static_cast<EventList*>(list->ctx)->storage;
            return index < events.size()
                       ? reinterpret_cast<const clap_event_header*>(events[index].data())
                       : nullptr;
        };
        return &in;
    }
    std::vector<std::vector<char>> storage;

  private:
    clap_input_events in{};
};

// What the plug-in pushed to the host: (type, param id, value) in order.
struct OutputEvent
{
    std::uint16_t type;
    clap_id id;
    double value;
};

class ClapTestHost
{
  public:
    ClapTestHost()
    {
        record.clap_version = kClapVersion;
        record.host_data = this;
        record.name = "Varnholt test host";
        record.vendor = "VH";
        record.url = "";
        record.version = "1";
        record.get_extension = [](const clap_host* host, const char* id)
        { return self(host).extension(id); };
        record.request_restart = [](const clap_host*) {};
        record.request_process = [](const clap_host*) {};
        record.request_callback = [](const clap_host*) {};
        params.rescan = [](const clap_host* host, std::uint32_t) { ++self(host).rescans; };
        params.clear = [](const clap_host*, clap_id, std::uint32_t) {};
        params.request_flush = [](const clap_host* host) { ++self(host).flushRequests; };
        state.mark_dirty = [](const clap_host* host) { ++self(host).dirtyMarks; };
        threadCheck.is_main_thread = [](const clap_host* host) { return !self(host).inProcess; };
        threadCheck.is_audio_thread = [](const clap_host* host) { return self(host).inProcess; };
        timers.register_timer = [](const clap_host* host, std::uint32_t, clap_id* id)
        {
            *id = self(host).nextTimer++;
            self(host).timerIds.insert(*id);
            return true;
        };
        timers.unregister_timer = [](const clap_host* host, clap_id id)
        { return self(host).timerIds.erase(id) == 1; };
        fds.register_fd = [](const clap_host* host, int fd, std::uint32_t)
        { return self(host).watchedFds.insert(fd).second; };
        fds.modify_fd = [](const clap_host*, int, std::uint32_t) { return true; };
        fds.unregister_fd = [](const clap_host* host, int fd)
        { return self(host).watchedFds.erase(fd) == 1; };
        gui.resize_hints_changed = [](const clap_host*) {};
        gui.request_resize = [](const clap_host* host, std::uint32_t width, std::uint32_t height)
        {
            self(host).requestedSizes.push_back({width, height});
            return self(host).grantResize;
        };
        gui.request_show = [](const clap_host*) { return true; };
        gui.request_hide = [](const clap_host*) { return true; };
        gui.closed = [](const clap_host*, bool) {};
        presetLoad.on_error = [](const clap_host*, std::uint32_t, const char*, const char*,
                                 std::int32_t, const char*) {};
        presetLoad.loaded = [](const clap_host* host, std::uint32_t, const char*, const char* key)
        { self(host).loadedPresets.push_back(key); };
    }

    const clap_host* get() const { return &record; }

    std::set<std::string> offered = {
        kClapExtParams,         kClapExtState, kClapExtThreadCheck, kClapExtTimerSupport,
        kClapExtPosixFdSupport, kClapExtGui,   kClapExtPresetLoad};
    bool inProcess = false;
    bool grantResize = true;
    int rescans = 0;
    int flushRequests = 0;
    int dirtyMarks = 0;
    clap_id nextTimer = 1;
    std::set<clap_id> timerIds;
    std::set<int> watchedFds;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> requestedSizes;
    std::vector<std::string> loadedPresets;

  private:
    static ClapTestHost& self(const clap_host* host)
    {
        return *static_cast<ClapTestHost*>(host->host_data);
    }
    const void* extension(const char* id) const
    {
        if (offered.count(id) == 0)
            return nullptr;
        const std::map<std::string, const void*> all = {
            {kClapExtParams, &params},           {kClapExtState, &state},
            {kClapExtThreadCheck, &threadCheck}, {kClapExtTimerSupport, &timers},
            {kClapExtPosixFdSupport, &fds},      {kClapExtGui, &gui},
            {kClapExtPresetLoad, &presetLoad}};
        const auto found = all.find(id);
        return found != all.end() ? found->second : nullptr;
    }

    clap_host record{};
    clap_host_params params{};
    clap_host_state state{};
    clap_host_thread_check threadCheck{};
    clap_host_timer_support timers{};
    clap_host_posix_fd_support fds{};
    clap_host_gui gui{};
    clap_host_preset_load presetLoad{};
};

// One instance of our plug-in, created, initialised and activated at 44.1 kHz.
class ClapInstance
{
  public:
    static constexpr double kSampleRateHz = 44100.0;

    explicit ClapInstance(bool activateNow = true)
    {
        const auto* factory =
            ClapLibrary::shared().factory<clap_plugin_factory>(kClapPluginFactoryId);
        if (factory == nullptr)
            throw std::runtime_error("no plug-in factory");
        plugin = factory->create_plugin(factory, host.get(),
                                        factory->get_plugin_descriptor(factory, 0)->id);
        if (plugin == nullptr || !plugin->init(plugin))
            throw std::runtime_error("no instance");
        if (activateNow && !activate())
            throw std::runtime_error("not activated");
    }
    ~ClapInstance()
    {
        if (active)
            plugin->deactivate(plugin);
        plugin->destroy(plugin);
    }
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    bool activate()
    {
        active = plugin->activate(plugin, kSampleRateHz, 1, 4096);
        return active;
    }
    template <typename Extension> const Extension* extension(const char* id) const
    {
        return static_cast<const Extension*>(plugin->get_extension(plugin, id));
    }
    const clap_plugin_params& params() const
    {
        return *extension<clap_plugin_params>(kClapExtParams);
    }

    double value(clap_id id) const
    {
        double v = 0.0;
        params().get_value(plugin, id, &v);
        return v;
    }

    // One process call over frames frames of the given channels, 32 or 64 bit.
    template <typename Sample>
    clap_process_status processBlock(Sample* const* in, Sample* const* out, std::uint32_t frames,
                                     EventList* events = nullptr)
    {
        clap_audio_buffer input{};
        clap_audio_buffer output{};
        input.channel_count = output.channel_count = 2;
        if constexpr (sizeof(Sample) == sizeof(float))
        {
            input.data32 = const_cast<float**>(reinterpret_cast<float* const*>(in));
            output.data32 = const_cast<float**>(reinterpret_cast<float* const*>(out));
        }
        else
        {
            input.data64 = const_cast<double**>(reinterpret_cast<double* const*>(in));
            output.data64 = const_cast<double**>(reinterpret_cast<double* const*>(out));
        }
        return process(&input, &output, frames, events);
    }

    clap_process_status process(const clap_audio_buffer* input, clap_audio_buffer* output,
                                std::uint32_t frames, EventList* events)
    {
        EventList none;
        clap_process data{};
        data.steady_time = -1;
        data.frames_count = frames;
        data.audio_inputs = input;
        data.audio_outputs = output;
        data.audio_inputs_count = input != nullptr ? 1 : 0;
        data.audio_outputs_count = output != nullptr ? 1 : 0;
        data.in_events = (events != nullptr ? events : &none)->input();
        data.out_events = outputEvents();
        host.inProcess = true;
        const clap_process_status status = plugin->process(plugin, &data);
        host.inProcess = false;
        return status;
    }

    // Renders the whole input in blocks of blockFrames (the last one shorter); events keyed by
    // their absolute frame go into the block holding them.
    StereoSignal render(const StereoSignal& input, std::uint32_t blockFrames,
                        const std::multimap<std::size_t, std::pair<clap_id, double>>& changes = {})
    {
        StereoSignal output = input;
        for (std::size_t done = 0; done < input.left.size(); done += blockFrames)
        {
            const auto frames = static_cast<std::uint32_t>(
                std::min<std::size_t>(blockFrames, input.left.size() - done));
            EventList events;
            for (auto it = changes.lower_bound(done);
                 it != changes.end() && it->first < done + frames; ++it)
                events.addValue(static_cast<std::uint32_t>(it->first - done), it->second.first,
                                it->second.second);
            float* channels[] = {output.left.data() + done, output.right.data() + done};
            processBlock<float>(channels, channels, frames, &events);
        }
        return output;
    }

    void flush(EventList& events) { params().flush(plugin, events.input(), outputEvents()); }

    std::string saveState() const
    {
        std::string text;
        clap_ostream stream{&text, [](const clap_ostream* s, const void* buffer, std::uint64_t size)
                            {
                                static_cast<std::string*>(s->ctx)->append(
                                    static_cast<const char*>(buffer), size);
                                return static_cast<std::int64_t>(size);
                            }};
        const auto* state = extension<clap_plugin_state>(kClapExtState);
        if (!state->save(plugin, &stream))
            throw std::runtime_error("state not saved");
        return text;
    }

    // Feeds the text a few bytes at a time, as streams from files may.
    bool loadState(const std::string& text)
    {
        struct Reader
        {
            const std::string* text;
            std::size_t position;
        } reader{&text, 0};
        clap_istream stream{&reader, [](const clap_istream* s, void* buffer, std::uint64_t size)
                            {
                                auto& r = *static_cast<Reader*>(s->ctx);
                                const std::size_t count =
                                    std::min<std::size_t>({size, 7, r.text->size() - r.position});
                                std::memcpy(buffer, r.text->data() + r.position, count);
                                r.position += count;
                                return static_cast<std::int64_t>(count);
                            }};
        return extension<clap_plugin_state>(kClapExtState)->load(plugin, &stream);
    }

    bool loadPreset(const char* key)
    {
        const auto* load = extension<clap_plugin_preset_load>(kClapExtPresetLoad);
        return load->from_location(plugin, kClapPresetLocationPlugin, nullptr, key);
    }

    ClapTestHost host;
    const clap_plugin* plugin = nullptr;
    std::vector<OutputEvent> pushed;

  private:
    const clap_output_events* outputEvents()
    {
        out.ctx = this;
        out.try_push = [](const clap_output_events* list, const clap_event_header* header)
        {
            auto& pushed = static_cast<ClapInstance*>(list->ctx)->pushed;
            if (header->type == kClapEventParamValue)
            {
                const auto* event = reinterpret_cast<const clap_event_param_value*>(header);
                pushed.push_back({header->type, event->param_id, event->value});
            }
            else
            {
                const auto* event = reinterpret_cast<const clap_event_param_gesture*>(header);
                pushed.push_back({header->type, event->param_id, 0.0});
            }
            return true;
        };
        return &out;
    }

    bool active = false;
    clap_output_events out{};
};
