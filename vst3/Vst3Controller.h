// The editing side: IEditController with its parameter record, the host's IComponentHandler,
// IUnitInfo for the program list, and IConnectionPoint between processor and controller.
#pragma once

#include "vst3/Vst3Base.h"

namespace vst3
{
class IPlugView;

struct ParameterInfo
{
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    std::int32_t stepCount;
    ParamValue defaultNormalizedValue;
    std::int32_t unitId;
    std::int32_t flags;
};
constexpr std::int32_t kCanAutomate = 1 << 0;
constexpr std::int32_t kIsReadOnly = 1 << 1;
constexpr std::int32_t kIsList = 1 << 3;
constexpr std::int32_t kIsProgramChange = 1 << 15;
constexpr std::int32_t kIsBypass = 1 << 16;

constexpr std::int32_t kRootUnitId = 0;
constexpr std::int32_t kNoParentUnitId = -1;
constexpr std::int32_t kNoProgramListId = -1;

constexpr std::int32_t kReloadComponent = 1 << 0;
constexpr std::int32_t kParamValuesChanged = 1 << 2;
constexpr std::int32_t kLatencyChanged = 1 << 3;

class IComponentHandler : public FUnknown
{
  public:
    virtual tresult beginEdit(ParamID id) = 0;
    virtual tresult performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult endEdit(ParamID id) = 0;
    virtual tresult restartComponent(std::int32_t flags) = 0;
};
constexpr Tuid kIComponentHandlerIid = makeTuid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

class IEditController : public IPluginBase
{
  public:
    virtual tresult setComponentState(IBStream* state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;
    virtual std::int32_t getParameterCount() = 0;
    virtual tresult getParameterInfo(std::int32_t index, ParameterInfo& info) = 0;
    virtual tresult getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                          String128 string) = 0;
    virtual tresult getParamValueByString(ParamID id, char16* string,
                                          ParamValue& valueNormalized) = 0;
    virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue getParamNormalized(ParamID id) = 0;
    virtual tresult setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* createView(const char* name) = 0;
};
constexpr Tuid kIEditControllerIid = makeTuid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

struct UnitInfo
{
    std::int32_t id;
    std::int32_t parentUnitId;
    String128 name;
    std::int32_t programListId;
};

struct ProgramListInfo
{
    std::int32_t id;
    String128 name;
    std::int32_t programCount;
};

class IUnitInfo : public FUnknown
{
  public:
    virtual std::int32_t getUnitCount() = 0;
    virtual tresult getUnitInfo(std::int32_t unitIndex, UnitInfo& info) = 0;
    virtual std::int32_t getProgramListCount() = 0;
    virtual tresult getProgramListInfo(std::int32_t listIndex, ProgramListInfo& info) = 0;
    virtual tresult getProgramName(std::int32_t listId, std::int32_t programIndex,
                                   String128 name) = 0;
    virtual tresult getProgramInfo(std::int32_t listId, std::int32_t programIndex,
                                   const char* attributeId, String128 attributeValue) = 0;
    virtual tresult hasProgramPitchNames(std::int32_t listId, std::int32_t programIndex) = 0;
    virtual tresult getProgramPitchName(std::int32_t listId, std::int32_t programIndex,
                                        std::int16_t midiPitch, String128 name) = 0;
    virtual std::int32_t getSelectedUnit() = 0;
    virtual tresult selectUnit(std::int32_t unitId) = 0;
    virtual tresult getUnitByBus(std::int32_t type, std::int32_t direction, std::int32_t busIndex,
                                 std::int32_t channel, std::int32_t& unitId) = 0;
    virtual tresult setUnitProgramData(std::int32_t listOrUnitId, std::int32_t programIndex,
                                       IBStream* data) = 0;
};
constexpr Tuid kIUnitInfoIid = makeTuid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);

// The host's identity towards plug-ins that ask for it in initialize.
class IHostApplication : public FUnknown
{
  public:
    virtual tresult getName(String128 name) = 0;
    virtual tresult createInstance(TUIDPointer cid, TUIDPointer iid, void** object) = 0;
};
constexpr Tuid kIHostApplicationIid = makeTuid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

class IAttributeList : public FUnknown
{
  public:
    virtual tresult setInt(const char* id, std::int64_t value) = 0;
    virtual tresult getInt(const char* id, std::int64_t& value) = 0;
    virtual tresult setFloat(const char* id, double value) = 0;
    virtual tresult getFloat(const char* id, double& value) = 0;
    virtual tresult setString(const char* id, const char16* string) = 0;
    virtual tresult getString(const char* id, char16* string, std::uint32_t sizeInBytes) = 0;
    virtual tresult setBinary(const char* id, const void* data, std::uint32_t sizeInBytes) = 0;
    virtual tresult getBinary(const char* id, const void*& data, std::uint32_t& sizeInBytes) = 0;
};
constexpr Tuid kIAttributeListIid = makeTuid(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);

// A message between processor and controller, made by the host (IHostApplication's
// createInstance with this id as class and interface).
class IMessage : public FUnknown
{
  public:
    virtual const char* getMessageID() = 0;
    virtual void setMessageID(const char* id) = 0;
    virtual IAttributeList* getAttributes() = 0;
};
constexpr Tuid kIMessageIid = makeTuid(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);

class IConnectionPoint : public FUnknown
{
  public:
    virtual tresult connect(IConnectionPoint* other) = 0;
    virtual tresult disconnect(IConnectionPoint* other) = 0;
    virtual tresult notify(IMessage* message) = 0;
};
constexpr Tuid kIConnectionPointIid = makeTuid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
} // namespace vst3
