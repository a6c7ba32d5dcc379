#include "vst3plugin/Vst3EngineRegistry.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

#include "vst3plugin/Vst3EngineLink.h"

namespace vst3_engine_registry
{
namespace
{
std::mutex& guard()
{
    static std::mutex lock;
    return lock;
}

std::vector<Vst3EngineLink*>& links()
{
    static std::vector<Vst3EngineLink*> live;
    return live;
}
} // namespace

void add(Vst3EngineLink* link)
{
    const std::lock_guard<std::mutex> hold(guard());
    links().push_back(link);
}

void remove(Vst3EngineLink* link)
{
    const std::lock_guard<std::mutex> hold(guard());
    auto& live = links();
    live.erase(std::remove(live.begin(), live.end(), link), live.end());
}

Vst3EngineLink* find(long long address)
{
    const std::lock_guard<std::mutex> hold(guard());
    for (Vst3EngineLink* link : links())
    {
        if (reinterpret_cast<std::intptr_t>(link) == address)
        {
            link->addRef();
            return link;
        }
    }
    return nullptr;
}
} // namespace vst3_engine_registry
