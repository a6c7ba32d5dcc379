// Who the VST 2.4 edition is towards hosts; the renderer reads the same to know it.
#pragma once

#include "vst/VstAbi.h"

namespace vst_identity
{
constexpr VstInt32 kUniqueId = fourCharCode('V', 'R', 'N', 'H');
constexpr const char* kEffectName = "Varnholt Pro";
constexpr const char* kProductName = "Varnholt Pro";
constexpr const char* kVendorName = "VH";
} // namespace vst_identity
