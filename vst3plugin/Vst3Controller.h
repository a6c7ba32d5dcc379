// The VST3 edition's edit controller: the 17 parameters and the program selector with their
// texts in the units a user reads, the program list, the component state mirrored, and the
// editor's view. It reaches the processor's engine only for meters, through the engine link
// when the host connects the two in one process.
#pragma once

#include "parameters/Parameters.h"
#include "vst3/Vst3Controller.h"
#include "vst3plugin/Vst3RefCount.h"

class LimiterEngine;
class Vst3EngineLink;
class Vst3PlugView;

class Vst3Controller final : public vst3::IEditController,
                             public vst3::IUnitInfo,
                             public vst3::IConnectionPoint
{
  public:
    // Host GUI thread (the factory). Holds program 0.
    Vst3Controller();

    // Any thread.
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
    VST3_REFERENCE_COUNTED

    // Host GUI thread, every operation below.
    vst3::tresult initialize(vst3::FUnknown* context) override;
    // Lets go of the host's handler and the engine link.
    vst3::tresult terminate() override;
    // Takes every value and the program of the processor's state; refuses anything else.
    vst3::tresult setComponentState(vst3::IBStream* state) override;
    // The controller keeps nothing of its own beyond the component state.
    vst3::tresult setState(vst3::IBStream* state) override;
    vst3::tresult getState(vst3::IBStream* state) override;
    std::int32_t getParameterCount() override;
    vst3::tresult getParameterInfo(std::int32_t index, vst3::ParameterInfo& info) override;
    vst3::tresult getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                        vst3::String128 string) override;
    vst3::tresult getParamValueByString(vst3::ParamID id, vst3::char16* string,
                                        vst3::ParamValue& valueNormalized) override;
    // Plain values are in the units a user reads (dB, ms, %, entry numbers, 0/1).
    vst3::ParamValue normalizedParamToPlain(vst3::ParamID id,
                                            vst3::ParamValue valueNormalized) override;
    vst3::ParamValue plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
    vst3::ParamValue getParamNormalized(vst3::ParamID id) override;
    // A new program loads its values here too; the host hears of it through a restart that
    // waits for the next run-loop tick or host call, never from inside this call (Ardour 7.3
    // deadlocks on a restart from here).
    vst3::tresult setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
    vst3::tresult setComponentHandler(vst3::IComponentHandler* handler) override;
    vst3::IPlugView* createView(const char* name) override;

    // IUnitInfo: one root unit holding the program list.
    std::int32_t getUnitCount() override;
    vst3::tresult getUnitInfo(std::int32_t unitIndex, vst3::UnitInfo& info) override;
    std::int32_t getProgramListCount() override;
    vst3::tresult getProgramListInfo(std::int32_t listIndex, vst3::ProgramListInfo& info) override;
    vst3::tresult getProgramName(std::int32_t listId, std::int32_t programIndex,
                                 vst3::String128 name) override;
    vst3::tresult getProgramInfo(std::int32_t listId, std::int32_t programIndex,
                                 const char* attributeId, vst3::String128 attributeValue) override;
    vst3::tresult hasProgramPitchNames(std::int32_t listId, std::int32_t programIndex) override;
    vst3::tresult getProgramPitchName(std::int32_t listId, std::int32_t programIndex,
                                      std::int16_t midiPitch, vst3::String128 name) override;
    std::int32_t getSelectedUnit() override;
    vst3::tresult selectUnit(std::int32_t unitId) override;
    vst3::tresult getUnitByBus(std::int32_t type, std::int32_t direction, std::int32_t busIndex,
                               std::int32_t channel, std::int32_t& unitId) override;
    vst3::tresult setUnitProgramData(std::int32_t listOrUnitId, std::int32_t programIndex,
                                     vst3::IBStream* data) override;

    // IConnectionPoint: a processor of ours in this process lends its engine, connected
    // directly or named in its message through the host's proxies.
    vst3::tresult connect(vst3::IConnectionPoint* other) override;
    vst3::tresult disconnect(vst3::IConnectionPoint* other) override;
    vst3::tresult notify(vst3::IMessage* message) override;

    // For the editor view, GUI thread.
    float parameterValue(int index) const { return values[index]; }
    // The user's edit: stored, then told to the host between beginEdit and endEdit.
    void beginEdit(int index);
    void performEdit(int index, float value);
    void endEdit(int index);
    // The linked engine, or null when the processor is elsewhere.
    LimiterEngine* engine() const;
    // The run-loop tick of an open view: a restart waiting since a program change goes out.
    void runDeferredRestart();
    // The view tells the controller when it opens and goes.
    void viewOpened(Vst3PlugView* view) { openView = view; }
    void viewClosed(Vst3PlugView* view);

  private:
    ~Vst3Controller();

    void setValue(int index, float value);
    void loadProgram(int newProgram);
    void releaseLink();

    Vst3RefCount refCount;
    vst3::IComponentHandler* handler = nullptr;
    Vst3EngineLink* link = nullptr;
    Vst3PlugView* openView = nullptr;
    float values[kNumParams];
    int program = 0;
    bool restartPending = false;
};
