// The CLAP editor extension and the host services an embedded X11 editor runs on: timers and
// file-descriptor watches on the host's main thread. Declared from the published interface;
// standard library only.
#pragma once

#include "clap/Core.h"

extern "C"
{

    constexpr const char* kClapExtGui = "clap.gui";
    constexpr const char* kClapWindowApiX11 = "x11";
    struct clap_window
    {
        const char* api;
        union
        {
            void* cocoa;
            unsigned long x11;
            void* win32;
            void* ptr;
            std::uintptr_t uptr;
        };
    };
    struct clap_gui_resize_hints
    {
        bool can_resize_horizontally;
        bool can_resize_vertically;
        bool preserve_aspect_ratio;
        std::uint32_t aspect_ratio_width;
        std::uint32_t aspect_ratio_height;
    };
    struct clap_plugin_gui
    {
        bool (*is_api_supported)(const clap_plugin* plugin, const char* api, bool is_floating);
        bool (*get_preferred_api)(const clap_plugin* plugin, const char** api, bool* is_floating);
        bool (*create)(const clap_plugin* plugin, const char* api, bool is_floating);
        void (*destroy)(const clap_plugin* plugin);
        bool (*set_scale)(const clap_plugin* plugin, double scale);
        bool (*get_size)(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height);
        bool (*can_resize)(const clap_plugin* plugin);
        bool (*get_resize_hints)(const clap_plugin* plugin, clap_gui_resize_hints* hints);
        bool (*adjust_size)(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height);
        bool (*set_size)(const clap_plugin* plugin, std::uint32_t width, std::uint32_t height);
        bool (*set_parent)(const clap_plugin* plugin, const clap_window* window);
        bool (*set_transient)(const clap_plugin* plugin, const clap_window* window);
        void (*suggest_title)(const clap_plugin* plugin, const char* title);
        bool (*show)(const clap_plugin* plugin);
        bool (*hide)(const clap_plugin* plugin);
    };
    struct clap_host_gui
    {
        void (*resize_hints_changed)(const clap_host* host);
        bool (*request_resize)(const clap_host* host, std::uint32_t width, std::uint32_t height);
        bool (*request_show)(const clap_host* host);
        bool (*request_hide)(const clap_host* host);
        void (*closed)(const clap_host* host, bool was_destroyed);
    };

    constexpr const char* kClapExtTimerSupport = "clap.timer-support";
    struct clap_plugin_timer_support
    {
        void (*on_timer)(const clap_plugin* plugin, clap_id timer_id);
    };
    struct clap_host_timer_support
    {
        bool (*register_timer)(const clap_host* host, std::uint32_t period_ms, clap_id* timer_id);
        bool (*unregister_timer)(const clap_host* host, clap_id timer_id);
    };

    constexpr const char* kClapExtPosixFdSupport = "clap.posix-fd-support";
    enum : std::uint32_t
    {
        kClapPosixFdRead = 1u << 0,
        kClapPosixFdWrite = 1u << 1,
        kClapPosixFdError = 1u << 2,
    };
    struct clap_plugin_posix_fd_support
    {
        void (*on_fd)(const clap_plugin* plugin, int fd, std::uint32_t flags);
    };
    struct clap_host_posix_fd_support
    {
        bool (*register_fd)(const clap_host* host, int fd, std::uint32_t flags);
        bool (*modify_fd)(const clap_host* host, int fd, std::uint32_t flags);
        bool (*unregister_fd)(const clap_host* host, int fd);
    };
}
