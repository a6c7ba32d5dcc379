#include "host/plugins/Vst3HostObjects.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr char kHostName[] = "varnholt-render";

template <typename Self>
vst3::tresult answer(Self* self, const vst3::Tuid& own, vst3::TUIDPointer iid, void** object)
{
    if (object == nullptr)
        return vst3::kInvalidArgument;
    if (vst3::sameTuid(iid, vst3::kFUnknownIid) || vst3::sameTuid(iid, own))
    {
        *object = self;
        return vst3::kResultOk;
    }
    *object = nullptr;
    return vst3::kNoInterface;
}
} // namespace

vst3::tresult Vst3HostApplication::queryInterface(vst3::TUIDPointer iid, void** object)
{
    return answer(this, vst3::kIHostApplicationIid, iid, object);
}

vst3::tresult Vst3HostApplication::getName(vst3::String128 name)
{
    std::size_t i = 0;
    for (; kHostName[i] != '\0'; ++i)
        name[i] = static_cast<vst3::char16>(kHostName[i]);
    name[i] = 0;
    return vst3::kResultOk;
}

vst3::tresult Vst3HostApplication::createInstance(vst3::TUIDPointer, vst3::TUIDPointer,
                                                  void** object)
{
    // Messages and attribute lists are not offered: the renderer needs no plug-in's own talk.
    if (object != nullptr)
        *object = nullptr;
    return vst3::kNotImplemented;
}

vst3::tresult Vst3MemoryStream::queryInterface(vst3::TUIDPointer iid, void** object)
{
    return answer(this, vst3::kIBStreamIid, iid, object);
}

vst3::tresult Vst3MemoryStream::read(void* buffer, std::int32_t numBytes,
                                     std::int32_t* numBytesRead)
{
    const std::size_t count =
        std::min(static_cast<std::size_t>(std::max(numBytes, 0)), bytes.size() - position);
    std::memcpy(buffer, bytes.data() + position, count);
    position += count;
    if (numBytesRead != nullptr)
        *numBytesRead = static_cast<std::int32_t>(count);
    return vst3::kResultOk;
}

vst3::tresult Vst3MemoryStream::write(void* buffer, std::int32_t numBytes,
                                      std::int32_t* numBytesWritten)
{
    const auto count = static_cast<std::size_t>(std::max(numBytes, 0));
    bytes.resize(std::max(bytes.size(), position + count));
    std::memcpy(bytes.data() + position, buffer, count);
    position += count;
    if (numBytesWritten != nullptr)
        *numBytesWritten = static_cast<std::int32_t>(count);
    return vst3::kResultOk;
}

vst3::tresult Vst3MemoryStream::seek(std::int64_t pos, std::int32_t mode, std::int64_t* result)
{
    const std::int64_t base = mode == vst3::kIBSeekCur   ? static_cast<std::int64_t>(position)
                              : mode == vst3::kIBSeekEnd ? static_cast<std::int64_t>(bytes.size())
                                                         : 0;
    position = static_cast<std::size_t>(
        std::clamp<std::int64_t>(base + pos, 0, static_cast<std::int64_t>(bytes.size())));
    if (result != nullptr)
        *result = static_cast<std::int64_t>(position);
    return vst3::kResultOk;
}

vst3::tresult Vst3MemoryStream::tell(std::int64_t* pos)
{
    if (pos == nullptr)
        return vst3::kInvalidArgument;
    *pos = static_cast<std::int64_t>(position);
    return vst3::kResultOk;
}

Vst3BlockChanges::Vst3BlockChanges(std::size_t capacity) : queues(capacity) {}

vst3::tresult Vst3BlockChanges::queryInterface(vst3::TUIDPointer iid, void** object)
{
    return answer(this, vst3::kIParameterChangesIid, iid, object);
}

vst3::IParamValueQueue* Vst3BlockChanges::getParameterData(std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < used ? &queues[index] : nullptr;
}

vst3::IParamValueQueue* Vst3BlockChanges::addParameterData(const vst3::ParamID& id,
                                                           std::int32_t& index)
{
    for (std::size_t i = 0; i < used; ++i)
    {
        if (queues[i].id == id)
        {
            index = static_cast<std::int32_t>(i);
            return &queues[i];
        }
    }
    if (used == queues.size())
        return nullptr;
    index = static_cast<std::int32_t>(used);
    Queue& queue = queues[used++];
    queue.id = id;
    queue.hasPoint = false;
    return &queue;
}

void Vst3BlockChanges::set(vst3::ParamID id, double normalized)
{
    std::int32_t index = 0;
    if (vst3::IParamValueQueue* queue = addParameterData(id, index))
        queue->addPoint(0, normalized, index);
}

vst3::tresult Vst3BlockChanges::Queue::queryInterface(vst3::TUIDPointer iid, void** object)
{
    return answer(this, vst3::kIParamValueQueueIid, iid, object);
}

vst3::tresult Vst3BlockChanges::Queue::getPoint(std::int32_t index, std::int32_t& offset,
                                                double& point)
{
    if (index != 0 || !hasPoint)
        return vst3::kInvalidArgument;
    offset = 0;
    point = value;
    return vst3::kResultOk;
}

vst3::tresult Vst3BlockChanges::Queue::addPoint(std::int32_t, double point, std::int32_t& index)
{
    value = point;
    hasPoint = true;
    index = 0;
    return vst3::kResultOk;
}
