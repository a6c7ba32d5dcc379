#pragma once

// Who the LV2 edition is towards hosts: its URIs and the files of its bundle.
namespace lv2_identity
{
#define VARNHOLT_LV2_URI "https://varnholt.example/plugins/varnholt-pro"
constexpr const char* kPluginUri = VARNHOLT_LV2_URI;
constexpr const char* kUiUri = VARNHOLT_LV2_URI "#ui";
// Preset N is factory program N.
constexpr const char* kPresetUriPrefix = VARNHOLT_LV2_URI "#preset-";
#undef VARNHOLT_LV2_URI

constexpr const char* kBundleName = "varnholt-pro.lv2";
constexpr const char* kDspBinary = "varnholt-pro.so";
constexpr const char* kUiBinary = "varnholt-pro-ui.so";
constexpr const char* kPluginTtl = "varnholt-pro.ttl";
constexpr const char* kPresetsTtl = "presets.ttl";

constexpr const char* kPluginName = "Varnholt Pro";
constexpr const char* kVendorName = "VH";
// LV2 reads a minor version of zero, or an odd minor or micro version, as a development
// release: 2.0 is the edition's first stable one.
constexpr int kMinorVersion = 2;
constexpr int kMicroVersion = 0;
} // namespace lv2_identity
