// The module's factory: IPluginFactory, IPluginFactory2 and IPluginFactory3 with their records.
#pragma once

#include "vst3/Vst3Base.h"

namespace vst3
{
struct PFactoryInfo
{
    char vendor[64];
    char url[256];
    char email[128];
    std::int32_t flags;
};
constexpr std::int32_t kFactoryUnicode = 1 << 4;

constexpr std::int32_t kManyInstances = 0x7FFFFFFF;

struct PClassInfo
{
    std::uint8_t cid[16];
    std::int32_t cardinality;
    char category[32];
    char name[64];
};

struct PClassInfo2
{
    std::uint8_t cid[16];
    std::int32_t cardinality;
    char category[32];
    char name[64];
    std::uint32_t classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
};

struct PClassInfoW
{
    std::uint8_t cid[16];
    std::int32_t cardinality;
    char category[32];
    char16 name[64];
    std::uint32_t classFlags;
    char subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown
{
  public:
    virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
    virtual std::int32_t countClasses() = 0;
    virtual tresult getClassInfo(std::int32_t index, PClassInfo* info) = 0;
    virtual tresult createInstance(TUIDPointer cid, TUIDPointer iid, void** object) = 0;
};
constexpr Tuid kIPluginFactoryIid = makeTuid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

class IPluginFactory2 : public IPluginFactory
{
  public:
    virtual tresult getClassInfo2(std::int32_t index, PClassInfo2* info) = 0;
};
constexpr Tuid kIPluginFactory2Iid = makeTuid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

class IPluginFactory3 : public IPluginFactory2
{
  public:
    virtual tresult getClassInfoUnicode(std::int32_t index, PClassInfoW* info) = 0;
    virtual tresult setHostContext(FUnknown* context) = 0;
};
constexpr Tuid kIPluginFactory3Iid = makeTuid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
} // namespace vst3
