#include "host/plugins/PluginLibrary.h"

#include "host/HostError.h"

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
constexpr char kPluginFileName[] = "VarnholtPro.so";
constexpr char kInstalledPluginFolder[] = "../lib/vst";
} // namespace

VstPluginMainProc loadPluginEntry(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw HostError("plug-in not found: " + path);
    // A bare file name would make dlopen search the system's library folders instead.
    const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw HostError("cannot load plug-in " + path + ": " + dlerror());
    for (const char* symbol : {"VSTPluginMain", "main"})
        if (void* entry = dlsym(handle, symbol))
            return reinterpret_cast<VstPluginMainProc>(entry);
    dlclose(handle);
    throw HostError("not a VST 2.4 plug-in (neither VSTPluginMain nor main is exported): " + path);
}

std::string defaultPluginPath(const std::string& programDirectory)
{
    const fs::path beside = fs::path(programDirectory) / kPluginFileName;
    const fs::path installed =
        fs::path(programDirectory) / kInstalledPluginFolder / kPluginFileName;
    std::error_code error;
    if (fs::exists(beside, error) || !fs::exists(installed, error))
        return beside.string();
    return installed.lexically_normal().string();
}

std::string programDirectory()
{
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : program.parent_path().string();
}
