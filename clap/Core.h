// The CLAP plug-in interface's core (version 1.2 ABI, MIT-licensed by its authors), declared from
// the published interface: entry, plug-in and host records, factory, process data, events and
// streams. Only the declarations our editions and hosts use; standard library only.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C"
{

    struct clap_version
    {
        std::uint32_t major;
        std::uint32_t minor;
        std::uint32_t revision;
    };
    // The interface version this edition was written against.
    constexpr clap_version kClapVersion = {1, 2, 0};
    // A host or plug-in whose record says major 1 speaks this ABI.
    constexpr bool clapVersionIsCompatible(const clap_version& version)
    {
        return version.major >= 1;
    }

    using clap_id = std::uint32_t;
    constexpr clap_id kClapInvalidId = UINT32_MAX;

    // Text sizes in bytes, terminator included.
    constexpr std::size_t kClapNameSize = 256;
    constexpr std::size_t kClapPathSize = 1024;

    struct clap_istream
    {
        void* ctx;
        // Bytes read, 0 at the end, negative on error.
        std::int64_t (*read)(const clap_istream* stream, void* buffer, std::uint64_t size);
    };

    struct clap_ostream
    {
        void* ctx;
        // Bytes written, negative on error.
        std::int64_t (*write)(const clap_ostream* stream, const void* buffer, std::uint64_t size);
    };

    struct clap_event_header
    {
        std::uint32_t size;
        // Frame offset inside the block.
        std::uint32_t time;
        std::uint16_t space_id;
        std::uint16_t type;
        std::uint32_t flags;
    };
    constexpr std::uint16_t kClapCoreEventSpace = 0;
    enum : std::uint16_t
    {
        kClapEventParamValue = 5,
        kClapEventParamMod = 6,
        kClapEventParamGestureBegin = 7,
        kClapEventParamGestureEnd = 8,
    };

    struct clap_event_param_value
    {
        clap_event_header header;
        clap_id param_id;
        void* cookie;
        std::int32_t note_id;
        std::int16_t port_index;
        std::int16_t channel;
        std::int16_t key;
        double value;
    };

    struct clap_event_param_gesture
    {
        clap_event_header header;
        clap_id param_id;
    };

    struct clap_input_events
    {
        void* ctx;
        std::uint32_t (*size)(const clap_input_events* list);
        const clap_event_header* (*get)(const clap_input_events* list, std::uint32_t index);
    };

    struct clap_output_events
    {
        void* ctx;
        bool (*try_push)(const clap_output_events* list, const clap_event_header* event);
    };

    struct clap_audio_buffer
    {
        float** data32;
        double** data64;
        std::uint32_t channel_count;
        std::uint32_t latency;
        std::uint64_t constant_mask;
    };

    using clap_process_status = std::int32_t;
    enum : clap_process_status
    {
        kClapProcessError = 0,
        kClapProcessContinue = 1,
        kClapProcessContinueIfNotQuiet = 2,
        kClapProcessTail = 3,
        kClapProcessSleep = 4,
    };

    struct clap_event_transport;

    struct clap_process
    {
        std::int64_t steady_time;
        std::uint32_t frames_count;
        const clap_event_transport* transport;
        const clap_audio_buffer* audio_inputs;
        clap_audio_buffer* audio_outputs;
        std::uint32_t audio_inputs_count;
        std::uint32_t audio_outputs_count;
        const clap_input_events* in_events;
        const clap_output_events* out_events;
    };

    struct clap_host
    {
        clap_version clap_version;
        void* host_data;
        const char* name;
        const char* vendor;
        const char* url;
        const char* version;
        const void* (*get_extension)(const clap_host* host, const char* extension_id);
        void (*request_restart)(const clap_host* host);
        void (*request_process)(const clap_host* host);
        void (*request_callback)(const clap_host* host);
    };

    struct clap_plugin_descriptor
    {
        clap_version clap_version;
        const char* id;
        const char* name;
        const char* vendor;
        const char* url;
        const char* manual_url;
        const char* support_url;
        const char* version;
        const char* description;
        // Null-terminated list.
        const char* const* features;
    };

    struct clap_plugin
    {
        const clap_plugin_descriptor* desc;
        void* plugin_data;
        bool (*init)(const clap_plugin* plugin);
        void (*destroy)(const clap_plugin* plugin);
        bool (*activate)(const clap_plugin* plugin, double sample_rate,
                         std::uint32_t min_frames_count, std::uint32_t max_frames_count);
        void (*deactivate)(const clap_plugin* plugin);
        bool (*start_processing)(const clap_plugin* plugin);
        void (*stop_processing)(const clap_plugin* plugin);
        void (*reset)(const clap_plugin* plugin);
        clap_process_status (*process)(const clap_plugin* plugin, const clap_process* process);
        const void* (*get_extension)(const clap_plugin* plugin, const char* id);
        void (*on_main_thread)(const clap_plugin* plugin);
    };

    constexpr const char* kClapPluginFactoryId = "clap.plugin-factory";
    struct clap_plugin_factory
    {
        std::uint32_t (*get_plugin_count)(const clap_plugin_factory* factory);
        const clap_plugin_descriptor* (*get_plugin_descriptor)(const clap_plugin_factory* factory,
                                                               std::uint32_t index);
        const clap_plugin* (*create_plugin)(const clap_plugin_factory* factory,
                                            const clap_host* host, const char* plugin_id);
    };

    // The library's one exported symbol, named clap_entry.
    struct clap_plugin_entry
    {
        clap_version clap_version;
        bool (*init)(const char* plugin_path);
        void (*deinit)();
        const void* (*get_factory)(const char* factory_id);
    };
}
