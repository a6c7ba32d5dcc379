#include "host/plugins/Lv2UridMap.h"

Lv2UridMap::Lv2UridMap()
{
    mapData.handle = this;
    mapData.map = [](LV2_URID_Map_Handle handle, const char* uri)
    { return static_cast<Lv2UridMap*>(handle)->map(uri); };
    unmapData.handle = this;
    unmapData.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID urid)
    { return static_cast<Lv2UridMap*>(handle)->unmap(urid); };
}

LV2_URID Lv2UridMap::map(const char* uri)
{
    if (uri == nullptr)
        return 0;
    const std::lock_guard<std::mutex> lock(mutex);
    const auto [entry, added] = urids.try_emplace(uri, static_cast<LV2_URID>(uris.size() + 1));
    if (added)
        uris.push_back(uri);
    return entry->second;
}

const char* Lv2UridMap::unmap(LV2_URID urid)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (urid == 0 || urid > uris.size())
        return nullptr;
    return uris[urid - 1].c_str();
}
