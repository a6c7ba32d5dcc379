#include "vst3plugin/Vst3Controller.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "parameters/Presets.h"
#include "parameters/UserUnitText.h"
#include "parameters/UserUnits.h"
#include "vst3/Vst3View.h"
#include "vst3plugin/Vst3EngineLink.h"
#include "vst3plugin/Vst3EngineRegistry.h"
#include "vst3plugin/Vst3Parameters.h"
#include "vst3plugin/Vst3PlugView.h"
#include "vst3plugin/Vst3State.h"
#include "vst3plugin/Vst3Text.h"

namespace
{
constexpr const char* kRootUnitName = "Root";
constexpr const char* kProgramListName = "Programs";
constexpr std::size_t kString128Units = 128;

bool isProgramList(std::int32_t listId)
{
    return listId == vst3_parameters::kProgramListId;
}
} // namespace

Vst3Controller::Vst3Controller()
{
    constexpr int defaultProgram = 0;
    for (int i = 0; i < kNumParams; ++i)
        values[i] = kPresetTable[defaultProgram][i];
}

Vst3Controller::~Vst3Controller()
{
    releaseLink();
    if (handler != nullptr)
        handler->release();
}

vst3::tresult Vst3Controller::queryInterface(vst3::TUIDPointer iid, void** object)
{
    if (object == nullptr)
        return vst3::kInvalidArgument;
    void* found = nullptr;
    if (vst3::sameTuid(iid, vst3::kFUnknownIid) || vst3::sameTuid(iid, vst3::kIPluginBaseIid) ||
        vst3::sameTuid(iid, vst3::kIEditControllerIid))
        found = static_cast<vst3::IEditController*>(this);
    else if (vst3::sameTuid(iid, vst3::kIUnitInfoIid))
        found = static_cast<vst3::IUnitInfo*>(this);
    else if (vst3::sameTuid(iid, vst3::kIConnectionPointIid))
        found = static_cast<vst3::IConnectionPoint*>(this);
    *object = found;
    if (found == nullptr)
        return vst3::kNoInterface;
    addRef();
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::initialize(vst3::FUnknown*)
{
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::terminate()
{
    releaseLink();
    setComponentHandler(nullptr);
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::setComponentState(vst3::IBStream* stream)
{
    if (stream == nullptr)
        return vst3::kInvalidArgument;
    const std::optional<Vst3State> state = vst3_state::read(*stream);
    if (!state)
        return vst3::kResultFalse;
    program = state->program;
    for (int i = 0; i < kNumParams; ++i)
        setValue(i, state->values[i]);
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::setState(vst3::IBStream*)
{
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::getState(vst3::IBStream*)
{
    return vst3::kResultOk;
}

std::int32_t Vst3Controller::getParameterCount()
{
    return vst3_parameters::kParameterCount;
}

vst3::tresult Vst3Controller::getParameterInfo(std::int32_t index, vst3::ParameterInfo& info)
{
    return vst3_parameters::describe(index, info) ? vst3::kResultOk : vst3::kInvalidArgument;
}

vst3::tresult Vst3Controller::getParamStringByValue(vst3::ParamID id,
                                                    vst3::ParamValue valueNormalized,
                                                    vst3::String128 string)
{
    runDeferredRestart();
    if (string == nullptr || std::isnan(valueNormalized))
        return vst3::kInvalidArgument;
    if (vst3_parameters::isParameterId(id))
    {
        const int index = static_cast<int>(id);
        vst3_text::toUtf16(
            string, kString128Units,
            userValueText(index, vst3_parameters::parameterValueOf(index, valueNormalized)));
        return vst3::kResultOk;
    }
    if (id == vst3_parameters::kProgramId)
        return getProgramName(vst3_parameters::kProgramListId,
                              vst3_parameters::programOf(valueNormalized), string);
    return vst3::kInvalidArgument;
}

vst3::tresult Vst3Controller::getParamValueByString(vst3::ParamID id, vst3::char16* string,
                                                    vst3::ParamValue& valueNormalized)
{
    if (string == nullptr || !vst3_parameters::isParameterId(id))
        return vst3::kInvalidArgument;
    const int index = static_cast<int>(id);
    const std::optional<float> value =
        parameterValueFromText(index, vst3_text::fromUtf16(string, kString128Units));
    if (!value)
        return vst3::kResultFalse;
    valueNormalized = vst3_parameters::normalizedOf(index, *value);
    return vst3::kResultOk;
}

vst3::ParamValue Vst3Controller::normalizedParamToPlain(vst3::ParamID id,
                                                        vst3::ParamValue valueNormalized)
{
    runDeferredRestart();
    if (std::isnan(valueNormalized))
        return 0.0;
    if (vst3_parameters::isParameterId(id))
    {
        const int index = static_cast<int>(id);
        return userValueOf(index, vst3_parameters::parameterValueOf(index, valueNormalized));
    }
    if (id == vst3_parameters::kProgramId)
        return vst3_parameters::programOf(valueNormalized);
    return valueNormalized;
}

vst3::ParamValue Vst3Controller::plainParamToNormalized(vst3::ParamID id,
                                                        vst3::ParamValue plainValue)
{
    if (!std::isfinite(plainValue))
        return 0.0;
    if (vst3_parameters::isParameterId(id))
    {
        const int index = static_cast<int>(id);
        return vst3_parameters::normalizedOf(
            index, ::parameterValueOf(index, static_cast<float>(plainValue)));
    }
    if (id == vst3_parameters::kProgramId)
    {
        const double entry = std::clamp(std::round(plainValue), 0.0, kNumPrograms - 1.0);
        return vst3_parameters::normalizedOfProgram(static_cast<int>(entry));
    }
    return 0.0;
}

vst3::ParamValue Vst3Controller::getParamNormalized(vst3::ParamID id)
{
    runDeferredRestart();
    if (vst3_parameters::isParameterId(id))
    {
        const int index = static_cast<int>(id);
        return vst3_parameters::normalizedOf(index, values[index]);
    }
    if (id == vst3_parameters::kProgramId)
        return vst3_parameters::normalizedOfProgram(program);
    return 0.0;
}

vst3::tresult Vst3Controller::setParamNormalized(vst3::ParamID id, vst3::ParamValue value)
{
    if (std::isnan(value))
        return vst3::kInvalidArgument;
    if (vst3_parameters::isParameterId(id))
    {
        const int index = static_cast<int>(id);
        setValue(index, vst3_parameters::parameterValueOf(index, value));
        return vst3::kResultOk;
    }
    if (id == vst3_parameters::kProgramId)
    {
        loadProgram(vst3_parameters::programOf(value));
        return vst3::kResultOk;
    }
    return vst3::kInvalidArgument;
}

vst3::tresult Vst3Controller::setComponentHandler(vst3::IComponentHandler* newHandler)
{
    if (newHandler == handler)
        return vst3::kResultOk;
    if (newHandler != nullptr)
        newHandler->addRef();
    if (handler != nullptr)
        handler->release();
    handler = newHandler;
    return vst3::kResultOk;
}

vst3::IPlugView* Vst3Controller::createView(const char* name)
{
    if (name == nullptr || std::strcmp(name, vst3::kEditorViewType) != 0)
        return nullptr;
    try
    {
        return new Vst3PlugView(*this);
    }
    catch (...)
    {
        return nullptr;
    }
}

std::int32_t Vst3Controller::getUnitCount()
{
    return 1;
}

vst3::tresult Vst3Controller::getUnitInfo(std::int32_t unitIndex, vst3::UnitInfo& info)
{
    if (unitIndex != 0)
        return vst3::kInvalidArgument;
    info.id = vst3::kRootUnitId;
    info.parentUnitId = vst3::kNoParentUnitId;
    vst3_text::toUtf16(info.name, kString128Units, kRootUnitName);
    info.programListId = vst3_parameters::kProgramListId;
    return vst3::kResultOk;
}

std::int32_t Vst3Controller::getProgramListCount()
{
    return 1;
}

vst3::tresult Vst3Controller::getProgramListInfo(std::int32_t listIndex,
                                                 vst3::ProgramListInfo& info)
{
    if (listIndex != 0)
        return vst3::kInvalidArgument;
    info.id = vst3_parameters::kProgramListId;
    vst3_text::toUtf16(info.name, kString128Units, kProgramListName);
    info.programCount = kNumPrograms;
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::getProgramName(std::int32_t listId, std::int32_t programIndex,
                                             vst3::String128 name)
{
    if (!isProgramList(listId) || programIndex < 0 || programIndex >= kNumPrograms ||
        name == nullptr)
        return vst3::kInvalidArgument;
    vst3_text::toUtf16(name, kString128Units,
                       vst3_text::trimmedName(kProgramNameTable[programIndex]));
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::getProgramInfo(std::int32_t, std::int32_t, const char*,
                                             vst3::String128)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3Controller::hasProgramPitchNames(std::int32_t, std::int32_t)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3Controller::getProgramPitchName(std::int32_t, std::int32_t, std::int16_t,
                                                  vst3::String128)
{
    return vst3::kResultFalse;
}

std::int32_t Vst3Controller::getSelectedUnit()
{
    return vst3::kRootUnitId;
}

vst3::tresult Vst3Controller::selectUnit(std::int32_t unitId)
{
    return unitId == vst3::kRootUnitId ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult Vst3Controller::getUnitByBus(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                           std::int32_t& unitId)
{
    unitId = vst3::kRootUnitId;
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::setUnitProgramData(std::int32_t, std::int32_t, vst3::IBStream*)
{
    return vst3::kNotImplemented;
}

vst3::tresult Vst3Controller::connect(vst3::IConnectionPoint* other)
{
    if (other == nullptr)
        return vst3::kInvalidArgument;
    void* found = nullptr;
    if (other->queryInterface(kVst3EngineLinkIid.data(), &found) == vst3::kResultOk &&
        found != nullptr)
    {
        releaseLink();
        link = static_cast<Vst3EngineLink*>(found);
    }
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::disconnect(vst3::IConnectionPoint*)
{
    releaseLink();
    return vst3::kResultOk;
}

vst3::tresult Vst3Controller::notify(vst3::IMessage* message)
{
    if (message == nullptr || message->getMessageID() == nullptr ||
        std::strcmp(message->getMessageID(), kVst3EngineMessageId) != 0)
        return vst3::kResultFalse;
    vst3::IAttributeList* attributes = message->getAttributes();
    std::int64_t address = 0;
    if (attributes == nullptr ||
        attributes->getInt(kVst3EngineAddressAttribute, address) != vst3::kResultOk)
        return vst3::kResultFalse;
    Vst3EngineLink* found = vst3_engine_registry::find(address);
    if (found == nullptr)
        return vst3::kResultFalse;
    releaseLink();
    link = found;
    return vst3::kResultOk;
}

void Vst3Controller::beginEdit(int index)
{
    if (handler != nullptr && isParamIndex(index))
        handler->beginEdit(static_cast<vst3::ParamID>(index));
}

void Vst3Controller::performEdit(int index, float value)
{
    if (!isParamIndex(index) || !std::isfinite(value))
        return;
    const double normalized = vst3_parameters::normalizedOf(index, value);
    setValue(index, vst3_parameters::parameterValueOf(index, normalized));
    if (handler != nullptr)
        handler->performEdit(static_cast<vst3::ParamID>(index), normalized);
}

void Vst3Controller::endEdit(int index)
{
    if (handler != nullptr && isParamIndex(index))
        handler->endEdit(static_cast<vst3::ParamID>(index));
}

LimiterEngine* Vst3Controller::engine() const
{
    return link != nullptr ? &link->linkedEngine() : nullptr;
}

void Vst3Controller::runDeferredRestart()
{
    if (!restartPending)
        return;
    restartPending = false;
    if (handler != nullptr)
        handler->restartComponent(vst3::kParamValuesChanged);
}

void Vst3Controller::viewClosed(Vst3PlugView* view)
{
    if (openView == view)
        openView = nullptr;
}

void Vst3Controller::setValue(int index, float value)
{
    values[index] = value;
    if (openView != nullptr)
        openView->parameterChanged(index, value);
}

void Vst3Controller::loadProgram(int newProgram)
{
    program = newProgram;
    for (int i = 0; i < kNumParams; ++i)
        setValue(i, kPresetTable[newProgram][i]);
    restartPending = true;
}

void Vst3Controller::releaseLink()
{
    if (link != nullptr)
        link->release();
    link = nullptr;
}
