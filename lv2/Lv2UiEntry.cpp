// The UI library's one exported symbol, lv2ui_descriptor, and the C entry points it lists.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2_util.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

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

// The host's ui:scaleFactor among its options (a float, by the option's definition; doubles
// too, which some hosts send), or 0.
double hostScaleFactor(const LV2_Options_Option* options, const LV2_URID_Map* map)
{
    if (options == nullptr || map == nullptr)
        return 0.0;
    const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    const LV2_URID doubleType = map->map(map->handle, LV2_ATOM__Double);
    for (const LV2_Options_Option* option = options; option->key != 0; ++option)
    {
        if (option->context != LV2_OPTIONS_INSTANCE || option->key != scaleFactor ||
            option->value == nullptr)
            continue;
        if (option->type == floatType && option->size == sizeof(float))
            return *static_cast<const float*>(option->value);
        if (option->type == doubleType && option->size == sizeof(double))
            return *static_cast<const double*>(option->value);
    }
    return 0.0;
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
    const LV2_Options_Option* options = nullptr;
    const LV2_URID_Map* map = nullptr;
    const char* missing = lv2_features_query(features, LV2_UI__parent, &host.parentWindow, true,
                                             LV2_UI__resize, &host.resize, false, LV2_UI__touch,
                                             &host.touch, false, LV2_OPTIONS__options, &options,
                                             false, LV2_URID__map, &map, false, nullptr);
    if (missing != nullptr)
        return nullptr;
    host.scaleFactor = hostScaleFactor(options, map);
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

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri)
{
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {lv2_identity::kUiUri, instantiate, cleanup, portEvent,
                                      extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
