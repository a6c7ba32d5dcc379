#include "clapplugin/ClapPresetDiscovery.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "clap/PresetDiscovery.h"
#include "clapplugin/ClapIdentity.h"
#include "parameters/Presets.h"

namespace
{
const clap_preset_discovery_provider_descriptor kProviderDescriptor = {
    kClapVersion, clap_identity::kPresetProviderId, clap_identity::kPresetProviderName,
    clap_identity::kVendorName};

// The provider keeps the indexer it was created for; its record is the first member, so the
// record's address is the provider's.
struct Provider
{
    clap_preset_discovery_provider record;
    const clap_preset_discovery_indexer* indexer;
};

const clap_preset_discovery_indexer* indexerOf(const clap_preset_discovery_provider* provider)
{
    return static_cast<const Provider*>(provider->provider_data)->indexer;
}

bool providerInit(const clap_preset_discovery_provider* provider)
{
    const clap_preset_discovery_indexer* indexer = indexerOf(provider);
    if (indexer->declare_location == nullptr)
        return false;
    const clap_preset_discovery_location location = {
        kClapPresetIsFactoryContent, "Factory programs", kClapPresetLocationPlugin, nullptr};
    return indexer->declare_location(indexer, &location);
}

void providerDestroy(const clap_preset_discovery_provider* provider)
{
    delete static_cast<Provider*>(provider->provider_data);
}

// The program names without their padding.
std::string programName(int program)
{
    std::string name = kProgramNameTable[program];
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

bool providerMetadata(const clap_preset_discovery_provider*, std::uint32_t kind, const char*,
                      const clap_preset_discovery_metadata_receiver* receiver)
{
    if (kind != kClapPresetLocationPlugin || receiver == nullptr ||
        receiver->begin_preset == nullptr)
        return false;
    try
    {
        const clap_universal_plugin_id pluginId = {"clap", clap_identity::kPluginId};
        for (int program = 0; program < clap_identity::kFactoryProgramCount; ++program)
        {
            const std::string key = std::to_string(program);
            if (!receiver->begin_preset(receiver, programName(program).c_str(), key.c_str()))
                break;
            if (receiver->add_plugin_id != nullptr)
                receiver->add_plugin_id(receiver, &pluginId);
            if (receiver->set_flags != nullptr)
                receiver->set_flags(receiver, kClapPresetIsFactoryContent);
            if (receiver->add_creator != nullptr)
                receiver->add_creator(receiver, clap_identity::kVendorName);
        }
        return true;
    }
    catch (...)
    {
        return false;
    }
}

const void* providerExtension(const clap_preset_discovery_provider*, const char*)
{
    return nullptr;
}

std::uint32_t providerCount(const clap_preset_discovery_factory*)
{
    return 1;
}

const clap_preset_discovery_provider_descriptor*
providerDescriptor(const clap_preset_discovery_factory*, std::uint32_t index)
{
    return index == 0 ? &kProviderDescriptor : nullptr;
}

const clap_preset_discovery_provider* createProvider(const clap_preset_discovery_factory*,
                                                     const clap_preset_discovery_indexer* indexer,
                                                     const char* id)
{
    if (indexer == nullptr || id == nullptr || std::strcmp(id, kProviderDescriptor.id) != 0)
        return nullptr;
    auto* provider = new (std::nothrow) Provider{};
    if (provider == nullptr)
        return nullptr;
    provider->indexer = indexer;
    provider->record = {&kProviderDescriptor, provider,         providerInit,
                        providerDestroy,      providerMetadata, providerExtension};
    return &provider->record;
}

const clap_preset_discovery_factory kFactory = {providerCount, providerDescriptor, createProvider};
} // namespace

const clap_preset_discovery_factory* presetDiscoveryFactory()
{
    return &kFactory;
}
