// Who the VST3 edition is towards hosts. The class ids are this product's own and never change:
// hosts key saved projects and presets to them.
#pragma once

#include "vst3/Vst3Base.h"

namespace vst3_identity
{
// Processor {7D2D29DE-35A446BF-AED1AC2B-BE39A8C6}, controller
// {DE8A5AA1-5FFD4222-B1D4C39B-F9CE0FBD}.
constexpr vst3::Tuid kProcessorCid = vst3::makeTuid(0x7D2D29DE, 0x35A446BF, 0xAED1AC2B, 0xBE39A8C6);
constexpr vst3::Tuid kControllerCid =
    vst3::makeTuid(0xDE8A5AA1, 0x5FFD4222, 0xB1D4C39B, 0xF9CE0FBD);

constexpr const char* kPluginName = "Varnholt Pro";
constexpr const char* kControllerName = "Varnholt Pro Controller";
constexpr const char* kVendorName = "VH";
constexpr const char* kVendorUrl = "https://varnholt.example";
constexpr const char* kSubCategories = "Fx|Dynamics";
constexpr const char* kProcessorCategory = "Audio Module Class";
constexpr const char* kControllerCategory = "Component Controller Class";
// The interface version our headers follow.
constexpr const char* kSdkVersion = "VST 3.7.0";
} // namespace vst3_identity
