#include "host/plugins/Vst3Module.h"

#include "host/HostError.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{
constexpr char kArchitectureFolder[] = "Contents/x86_64-linux";
constexpr char kEffectCategory[] = "Audio Module Class";

using ModuleEntryProc = bool (*)(void*);
using GetFactoryProc = vst3::IPluginFactory* (*)();

std::string modulePath(const std::string& bundle)
{
    std::error_code error;
    if (!fs::is_directory(bundle, error))
        return bundle;
    const fs::path folder = fs::path(bundle).lexically_normal();
    const std::string stem =
        (folder.has_filename() ? folder : folder.parent_path()).stem().string();
    return (folder / kArchitectureFolder / (stem + ".so")).string();
}
} // namespace

Vst3EffectClass openVst3Bundle(const std::string& path)
{
    const std::string library = modulePath(path);
    std::error_code error;
    if (!fs::is_regular_file(library, error))
        throw HostError("no VST3 module for this machine in " + path + " (looked for " + library +
                        ")");
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw HostError("cannot load plug-in " + library + ": " + dlerror());
    auto entry = reinterpret_cast<ModuleEntryProc>(dlsym(handle, "ModuleEntry"));
    auto getFactory = reinterpret_cast<GetFactoryProc>(dlsym(handle, "GetPluginFactory"));
    if (getFactory == nullptr)
    {
        dlclose(handle);
        throw HostError("not a VST3 plug-in (GetPluginFactory is not exported): " + path);
    }
    if (entry != nullptr && !entry(handle))
        throw HostError("the VST3 module refused to start (ModuleEntry failed): " + path);
    Vst3EffectClass effect;
    effect.factory = getFactory();
    if (effect.factory == nullptr)
        throw HostError("the VST3 module gave no factory: " + path);
    const std::int32_t classes = effect.factory->countClasses();
    for (std::int32_t i = 0; i < classes; ++i)
    {
        vst3::PClassInfo info{};
        if (effect.factory->getClassInfo(i, &info) != vst3::kResultOk ||
            std::strncmp(info.category, kEffectCategory, sizeof info.category) != 0)
            continue;
        std::memcpy(effect.cid.data(), info.cid, effect.cid.size());
        effect.name.assign(info.name, strnlen(info.name, sizeof info.name));
        return effect;
    }
    throw HostError("the VST3 bundle holds no audio effect class: " + path);
}
