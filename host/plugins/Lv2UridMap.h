// The urid:map and urid:unmap features the host hands LV2 plug-ins: one number per URI.
#pragma once

#include <lv2/urid/urid.h>

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

class Lv2UridMap
{
  public:
    Lv2UridMap();
    Lv2UridMap(const Lv2UridMap&) = delete;
    Lv2UridMap& operator=(const Lv2UridMap&) = delete;

    // Any thread; plug-ins map at instantiation, some from worker threads of their own.
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid);

    LV2_URID_Map* mapFeatureData() { return &mapData; }
    LV2_URID_Unmap* unmapFeatureData() { return &unmapData; }

  private:
    std::mutex mutex;
    std::unordered_map<std::string, LV2_URID> urids;
    std::deque<std::string> uris; // URID n is uris[n - 1]; a deque keeps the texts in place
    LV2_URID_Map mapData;
    LV2_URID_Unmap unmapData;
};
