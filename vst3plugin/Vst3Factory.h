// The module's one factory: it names the processor and controller classes and creates them.
// One object for the module's life; hosts' references do not delete it.
#pragma once

#include "vst3/Vst3Factory.h"

class Vst3Factory : public vst3::IPluginFactory3
{
  public:
    // Any thread.
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
    std::uint32_t addRef() override { return 1; }
    std::uint32_t release() override { return 1; }

    // Host GUI thread (or a scanner's).
    vst3::tresult getFactoryInfo(vst3::PFactoryInfo* info) override;
    std::int32_t countClasses() override;
    vst3::tresult getClassInfo(std::int32_t index, vst3::PClassInfo* info) override;
    // A new processor or controller answering iid; kNoInterface for an unknown class or
    // interface, kOutOfMemory when it cannot be made.
    vst3::tresult createInstance(vst3::TUIDPointer cid, vst3::TUIDPointer iid,
                                 void** object) override;
    vst3::tresult getClassInfo2(std::int32_t index, vst3::PClassInfo2* info) override;
    vst3::tresult getClassInfoUnicode(std::int32_t index, vst3::PClassInfoW* info) override;
    vst3::tresult setHostContext(vst3::FUnknown* context) override;
};

// The module's factory.
Vst3Factory& vst3Factory();
