#pragma once

// Who the CLAP edition is towards hosts. The id is fixed forever: hosts key projects, presets
// and automation to it.
namespace clap_identity
{
constexpr const char* kPluginId = "example.varnholt.varnholt-pro";
constexpr const char* kPluginName = "Varnholt Pro";
constexpr const char* kVendorName = "VH";
constexpr const char* kDescription = "Stereo mastering limiter and loudness maximiser";
// The factory programs' provider for hosts' preset browsers.
constexpr const char* kPresetProviderId = "example.varnholt.varnholt-pro.factory-programs";
constexpr const char* kPresetProviderName = "Varnholt Pro factory programs";
// The programs that come with settings of their own; the rest repeat the default.
constexpr int kFactoryProgramCount = 8;
} // namespace clap_identity
