// The UI library's one exported symbol, lv2ui_descriptor, and the C entry points it lists.
#include <lv2/core/lv2_util.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "lv2/Lv2Identity.h"
#include "lv2/Lv2Ui.h"

namespace
{
Lv2Ui* ui(LV2UI_Handle handle)
{
    return static_cast<Lv2Ui*>(handle);
}

// Host's UI thread. Needs the parent window; null without it, without an X display, or when
// memory runs out, since no exception may cross into the host's C code.
LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    if (pluginUri == nullptr || std::strcmp(pluginUri, lv2_identity::kPluginUri) != 0)
        return nullptr;
    Lv2Ui::HostFeatures host;
    const char* missing =
        lv2_features_query(features, LV2_UI__parent, &host.parentWindow, true, LV2_UI__resize,
                           &host.resize, false, LV2_UI__touch, &host.touch, false, nullptr);
    if (missing != nullptr)
        return nullptr;
    try
    {
        auto created = std::make_unique<Lv2Ui>(write, controller, host);
        if (!created->open())
            return nullptr;
        *widget = reinterpret_cast<LV2UI_Widget>(static_cast<std::uintptr_t>(created->windowId()));
        return created.release();
    }
    catch (...)
    {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle)
{
    delete ui(handle);
}

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t bufferSize,
               std::uint32_t format, const void* buffer)
{
    ui(handle)->portEvent(port, bufferSize, format, buffer);
}

// 0: the UI stays open; it never closes itself.
int idle(LV2UI_Handle handle)
{
    ui(handle)->idle();
    return 0;
}

const LV2UI_Idle_Interface idleInterface = {idle};

const void* extensionData(const char* uri)
{
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor descriptor = {lv2_identity::kUiUri, instantiate, cleanup, portEvent,
                                     extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
