#include "vst3plugin/Vst3Factory.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

#include "VarnholtVersion.h"
#include "vst3plugin/Vst3Controller.h"
#include "vst3plugin/Vst3Identity.h"
#include "vst3plugin/Vst3Processor.h"
#include "vst3plugin/Vst3Text.h"

namespace
{
// What hosts read of each class, in the factory's order.
struct ClassRecord
{
    const vst3::Tuid* cid;
    const char* category;
    const char* name;
    // None of the component flags: the controller reaches its processor by address, so the two
    // are never distributed to different processes.
    std::uint32_t classFlags;
    const char* subCategories;
};
const ClassRecord kClasses[] = {
    {&vst3_identity::kProcessorCid, vst3_identity::kProcessorCategory, vst3_identity::kPluginName,
     0, vst3_identity::kSubCategories},
    {&vst3_identity::kControllerCid, vst3_identity::kControllerCategory,
     vst3_identity::kControllerName, 0, ""},
};
constexpr std::int32_t kClassCount = sizeof kClasses / sizeof kClasses[0];

// A text field of N characters: bytes as they are, UTF-16 units as converted; cut to fit.
template <std::size_t N> void putText(char (&field)[N], const char* text)
{
    vst3_text::toChars(field, N, text);
}
template <std::size_t N> void putText(vst3::char16 (&field)[N], const char* text)
{
    vst3_text::toUtf16(field, N, text);
}

// The class record at index in whichever of the three class info structs the host asked for;
// fields the record does not fill stay zero.
template <typename Info> vst3::tresult describeClass(std::int32_t index, Info* info)
{
    if (info == nullptr || index < 0 || index >= kClassCount)
        return vst3::kInvalidArgument;
    const ClassRecord& record = kClasses[index];
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, record.cid->data(), record.cid->size());
    info->cardinality = vst3::kManyInstances;
    putText(info->category, record.category);
    putText(info->name, record.name);
    if constexpr (!std::is_same_v<Info, vst3::PClassInfo>)
    {
        info->classFlags = record.classFlags;
        putText(info->subCategories, record.subCategories);
        putText(info->vendor, vst3_identity::kVendorName);
        putText(info->version, kVersionText);
        putText(info->sdkVersion, vst3_identity::kSdkVersion);
    }
    return vst3::kResultOk;
}

// The new object's interface iid, or kNoInterface; the creator's own reference goes either way.
template <typename Object>
vst3::tresult handOver(Object* created, vst3::TUIDPointer iid, void** object)
{
    const vst3::tresult result = created->queryInterface(iid, object);
    created->release();
    return result;
}
} // namespace

vst3::tresult Vst3Factory::queryInterface(vst3::TUIDPointer iid, void** object)
{
    if (object == nullptr)
        return vst3::kInvalidArgument;
    if (vst3::sameTuid(iid, vst3::kFUnknownIid) || vst3::sameTuid(iid, vst3::kIPluginFactoryIid) ||
        vst3::sameTuid(iid, vst3::kIPluginFactory2Iid) ||
        vst3::sameTuid(iid, vst3::kIPluginFactory3Iid))
    {
        *object = this;
        return vst3::kResultOk;
    }
    *object = nullptr;
    return vst3::kNoInterface;
}

vst3::tresult Vst3Factory::getFactoryInfo(vst3::PFactoryInfo* info)
{
    if (info == nullptr)
        return vst3::kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    vst3_text::toChars(info->vendor, sizeof info->vendor, vst3_identity::kVendorName);
    vst3_text::toChars(info->url, sizeof info->url, vst3_identity::kVendorUrl);
    info->flags = vst3::kFactoryUnicode;
    return vst3::kResultOk;
}

std::int32_t Vst3Factory::countClasses()
{
    return kClassCount;
}

vst3::tresult Vst3Factory::getClassInfo(std::int32_t index, vst3::PClassInfo* info)
{
    return describeClass(index, info);
}

vst3::tresult Vst3Factory::getClassInfo2(std::int32_t index, vst3::PClassInfo2* info)
{
    return describeClass(index, info);
}

vst3::tresult Vst3Factory::getClassInfoUnicode(std::int32_t index, vst3::PClassInfoW* info)
{
    return describeClass(index, info);
}

vst3::tresult Vst3Factory::createInstance(vst3::TUIDPointer cid, vst3::TUIDPointer iid,
                                          void** object)
{
    if (object == nullptr)
        return vst3::kInvalidArgument;
    *object = nullptr;
    // No exception may cross into the host.
    try
    {
        if (vst3::sameTuid(cid, vst3_identity::kProcessorCid))
            return handOver(new Vst3Processor, iid, object);
        if (vst3::sameTuid(cid, vst3_identity::kControllerCid))
            return handOver(new Vst3Controller, iid, object);
    }
    catch (const std::bad_alloc&)
    {
        return vst3::kOutOfMemory;
    }
    return vst3::kNoInterface;
}

vst3::tresult Vst3Factory::setHostContext(vst3::FUnknown*)
{
    return vst3::kResultOk;
}

Vst3Factory& vst3Factory()
{
    static Vst3Factory factory;
    return factory;
}
