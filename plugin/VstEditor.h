// The VST 2.4 edition's editor object: it sits in the effect's editor slot from the effect's
// construction to its destruction, turns the effEdit* requests into calls of the format-neutral
// LimiterEditor it owns, and is that editor's connection to the effect and its engine.
#pragma once

#include "editor/EditorConnection.h"
#include "vst/AEffEditor.h"

#include <memory>

class LimiterEditor;
class LimiterEffect;

class VstEditor : public AEffEditor, public EditorConnection
{
  public:
    // Host's loading thread, from the effect's constructor: attaches itself to the effect's
    // editor slot and creates the LimiterEditor.
    explicit VstEditor(LimiterEffect* effect);
    // GUI thread, from the effect's destructor (effClose).
    ~VstEditor() override;

    LimiterEditor& getLimiterEditor() { return *editor; }

    // GUI thread: the effEdit* requests. getRect is valid before open, as hosts ask it first.
    bool getRect(ERect** outRect) override;
    bool open(void* parent) override;
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    bool setKnobMode(VstInt32 mode) override;
    // Any thread, the audio thread included: only posts the value to the editor.
    void setParameter(VstInt32 index, float value) override;

    // EditorConnection, GUI thread: through the effect's AudioEffectX part and its engine.
    float getParameter(int index) const override;
    void beginEdit(int index) override;
    void setParameterAutomated(int index, float value) override;
    void endEdit(int index) override;
    void idleHostDuringDrag() override;
    void readMeters(MeterReadings& readings) override;
    void resetPeakHold() override;
    void resetLoudness() override;
    bool requestEditorSize(int widthPx, int heightPx) override;

  private:
    bool isParameter(int index) const;

    LimiterEffect* limiterEffect;
    std::unique_ptr<LimiterEditor> editor;
    ERect rect{};
};
