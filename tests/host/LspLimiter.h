// Debian's LSP limiter, the plug-in from another project the host's tests render through.
#pragma once

#include <dlfcn.h>
#include <filesystem>
#include <string>

// Path of the limiter. LSP's wrapper unloads its engine library at effClose, taking the
// pointers to the engine's own allocations with it, which leak checkers then report; keeping
// the engine loaded from here on leaves them reachable.
inline std::string lspLimiterPath()
{
    const std::filesystem::path folder = "/usr/lib/vst/lsp-plugins";
    static const bool enginePinned = [&]
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().filename().string().rfind("lsp-plugins-vst2-", 0) == 0)
                dlopen(entry.path().c_str(), RTLD_NOW | RTLD_LOCAL);
        return true;
    }();
    (void)enginePinned;
    return (folder / "limiter-stereo.so").string();
}
