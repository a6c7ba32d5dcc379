// The CLAP extensions the limiter offers or asks for, apart from the editor's (Gui.h): audio
// ports, parameters, state and its context, latency, render mode, tail, thread check, preset
// loading and the draft gain-adjustment metering. Declared from the published interface;
// standard library only.
#pragma once

#include "clap/Core.h"

extern "C"
{

    constexpr const char* kClapExtAudioPorts = "clap.audio-ports";
    constexpr const char* kClapPortStereo = "stereo";
    enum : std::uint32_t
    {
        kClapAudioPortIsMain = 1u << 0,
        kClapAudioPortSupports64Bits = 1u << 1,
        kClapAudioPortPrefers64Bits = 1u << 2,
        kClapAudioPortRequiresCommonSampleSize = 1u << 3,
    };
    struct clap_audio_port_info
    {
        clap_id id;
        char name[kClapNameSize];
        std::uint32_t flags;
        std::uint32_t channel_count;
        const char* port_type;
        clap_id in_place_pair;
    };
    struct clap_plugin_audio_ports
    {
        std::uint32_t (*count)(const clap_plugin* plugin, bool is_input);
        bool (*get)(const clap_plugin* plugin, std::uint32_t index, bool is_input,
                    clap_audio_port_info* info);
    };

    constexpr const char* kClapExtParams = "clap.params";
    enum : std::uint32_t
    {
        kClapParamIsStepped = 1u << 0,
        kClapParamIsPeriodic = 1u << 1,
        kClapParamIsHidden = 1u << 2,
        kClapParamIsReadonly = 1u << 3,
        kClapParamIsBypass = 1u << 4,
        kClapParamIsAutomatable = 1u << 5,
        kClapParamIsModulatable = 1u << 10,
        kClapParamRequiresProcess = 1u << 15,
        kClapParamIsEnum = 1u << 16,
    };
    struct clap_param_info
    {
        clap_id id;
        std::uint32_t flags;
        void* cookie;
        char name[kClapNameSize];
        char module[kClapPathSize];
        double min_value;
        double max_value;
        double default_value;
    };
    struct clap_plugin_params
    {
        std::uint32_t (*count)(const clap_plugin* plugin);
        bool (*get_info)(const clap_plugin* plugin, std::uint32_t param_index,
                         clap_param_info* info);
        bool (*get_value)(const clap_plugin* plugin, clap_id param_id, double* value);
        bool (*value_to_text)(const clap_plugin* plugin, clap_id param_id, double value,
                              char* display, std::uint32_t size);
        bool (*text_to_value)(const clap_plugin* plugin, clap_id param_id, const char* display,
                              double* value);
        void (*flush)(const clap_plugin* plugin, const clap_input_events* in,
                      const clap_output_events* out);
    };
    enum : std::uint32_t
    {
        kClapParamRescanValues = 1u << 0,
        kClapParamRescanText = 1u << 1,
        kClapParamRescanInfo = 1u << 2,
        kClapParamRescanAll = 1u << 3,
    };
    struct clap_host_params
    {
        void (*rescan)(const clap_host* host, std::uint32_t flags);
        void (*clear)(const clap_host* host, clap_id param_id, std::uint32_t flags);
        void (*request_flush)(const clap_host* host);
    };

    constexpr const char* kClapExtState = "clap.state";
    struct clap_plugin_state
    {
        bool (*save)(const clap_plugin* plugin, const clap_ostream* stream);
        bool (*load)(const clap_plugin* plugin, const clap_istream* stream);
    };
    struct clap_host_state
    {
        void (*mark_dirty)(const clap_host* host);
    };

    constexpr const char* kClapExtStateContext = "clap.state-context/2";
    enum : std::uint32_t
    {
        kClapStateContextForPreset = 1,
        kClapStateContextForDuplicate = 2,
        kClapStateContextForProject = 3,
    };
    struct clap_plugin_state_context
    {
        bool (*save)(const clap_plugin* plugin, const clap_ostream* stream,
                     std::uint32_t context_type);
        bool (*load)(const clap_plugin* plugin, const clap_istream* stream,
                     std::uint32_t context_type);
    };

    constexpr const char* kClapExtLatency = "clap.latency";
    struct clap_plugin_latency
    {
        std::uint32_t (*get)(const clap_plugin* plugin);
    };
    struct clap_host_latency
    {
        void (*changed)(const clap_host* host);
    };

    constexpr const char* kClapExtRender = "clap.render";
    enum : std::int32_t
    {
        kClapRenderRealtime = 0,
        kClapRenderOffline = 1,
    };
    struct clap_plugin_render
    {
        bool (*has_hard_realtime_requirement)(const clap_plugin* plugin);
        bool (*set)(const clap_plugin* plugin, std::int32_t mode);
    };

    constexpr const char* kClapExtTail = "clap.tail";
    struct clap_plugin_tail
    {
        std::uint32_t (*get)(const clap_plugin* plugin);
    };

    constexpr const char* kClapExtThreadCheck = "clap.thread-check";
    struct clap_host_thread_check
    {
        bool (*is_main_thread)(const clap_host* host);
        bool (*is_audio_thread)(const clap_host* host);
    };

    // Final since CLAP 1.2; hosts of the draft ask for the compatible draft id.
    constexpr const char* kClapExtPresetLoad = "clap.preset-load/2";
    constexpr const char* kClapExtPresetLoadCompat = "clap.preset-load.draft/2";
    struct clap_plugin_preset_load
    {
        bool (*from_location)(const clap_plugin* plugin, std::uint32_t location_kind,
                              const char* location, const char* load_key);
    };
    struct clap_host_preset_load
    {
        void (*on_error)(const clap_host* host, std::uint32_t location_kind, const char* location,
                         const char* load_key, std::int32_t os_error, const char* message);
        void (*loaded)(const clap_host* host, std::uint32_t location_kind, const char* location,
                       const char* load_key);
    };

    // A draft: the gain adjustment applied to the last frame of the last block, in dB (negative
    // for a reduction).
    constexpr const char* kClapExtGainAdjustmentMetering = "clap.gain-adjustment-metering/0";
    struct clap_plugin_gain_adjustment_metering
    {
        double (*get)(const clap_plugin* plugin);
    };
}
