#include "vst3plugin/Vst3Factory.h"

#include <cstring>
#include <new>

#include "VarnholtVersion.h"
#include "vst3plugin/Vst3Controller.h"
#include "vst3plugin/Vst3Identity.h"
#include "vst3plugin/Vst3Processor.h"
#include "vst3plugin/Vst3Text.h"

namespace
{
struct ClassEntry
{
    const vst3::Tuid* cid;
    const char* category;
    const char* name;
    const char* subCategories;
};
const ClassEntry kClasses[] = {
    {&vst3_identity::kProcessorCid, vst3_identity::kProcessorCategory, vst3_identity::kPluginName,
     vst3_identity::kSubCategories},
    {&vst3_identity::kControllerCid, vst3_identity::kControllerCategory,
     vst3_identity::kControllerName, ""},
};
constexpr std::int32_t kClassCount = sizeof kClasses / sizeof kClasses[0];

bool isClassIndex(std::int32_t index)
{
    return index >= 0 && index < kClassCount;
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
    if (info == nullptr || !isClassIndex(index))
        return vst3::kInvalidArgument;
    const ClassEntry& entry = kClasses[index];
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, entry.cid->data(), entry.cid->size());
    info->cardinality = vst3::kManyInstances;
    vst3_text::toChars(info->category, sizeof info->category, entry.category);
    vst3_text::toChars(info->name, sizeof info->name, entry.name);
    return vst3::kResultOk;
}

vst3::tresult Vst3Factory::getClassInfo2(std::int32_t index, vst3::PClassInfo2* info)
{
    if (info == nullptr || !isClassIndex(index))
        return vst3::kInvalidArgument;
    const ClassEntry& entry = kClasses[index];
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, entry.cid->data(), entry.cid->size());
    info->cardinality = vst3::kManyInstances;
    vst3_text::toChars(info->category, sizeof info->category, entry.category);
    vst3_text::toChars(info->name, sizeof info->name, entry.name);
    vst3_text::toChars(info->subCategories, sizeof info->subCategories, entry.subCategories);
    vst3_text::toChars(info->vendor, sizeof info->vendor, vst3_identity::kVendorName);
    vst3_text::toChars(info->version, sizeof info->version, kVersionText);
    vst3_text::toChars(info->sdkVersion, sizeof info->sdkVersion, vst3_identity::kSdkVersion);
    return vst3::kResultOk;
}

vst3::tresult Vst3Factory::getClassInfoUnicode(std::int32_t index, vst3::PClassInfoW* info)
{
    if (info == nullptr || !isClassIndex(index))
        return vst3::kInvalidArgument;
    const ClassEntry& entry = kClasses[index];
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, entry.cid->data(), entry.cid->size());
    info->cardinality = vst3::kManyInstances;
    vst3_text::toChars(info->category, sizeof info->category, entry.category);
    vst3_text::toUtf16(info->name, 64, entry.name);
    vst3_text::toChars(info->subCategories, sizeof info->subCategories, entry.subCategories);
    vst3_text::toUtf16(info->vendor, 64, vst3_identity::kVendorName);
    vst3_text::toUtf16(info->version, 64, kVersionText);
    vst3_text::toUtf16(info->sdkVersion, 64, vst3_identity::kSdkVersion);
    return vst3::kResultOk;
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
