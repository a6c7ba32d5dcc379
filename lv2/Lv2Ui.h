#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

#include "editor/EditorConnection.h"
#include "lv2/Lv2Ports.h"

class LimiterEditor;

// The LV2 edition's editor: the shared LimiterEditor in the host's parent window, connected to
// the plug-in through ports only, so the host may run it in another process. Parameter values
// and meters arrive as port events; edits leave through the host's write function as port
// values in the ports' units, bracketed by ui:touch where the host offers it. Every call comes
// from the host's UI thread.
class Lv2Ui : public EditorConnection
{
  public:
    struct HostFeatures
    {
        void* parentWindow = nullptr;
        const LV2UI_Resize* resize = nullptr;
        const LV2UI_Touch* touch = nullptr;
        // ui:scaleFactor from the host's options; 0 when it gives none.
        double scaleFactor = 0.0;
    };

    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller, const HostFeatures& features);
    ~Lv2Ui() override;

    // Opens the editor in the parent window, at the host's scale when it gives one, and tells
    // the host its size. False when no window could be made.
    bool open();
    // The editor's X11 window, the UI's widget.
    unsigned long windowId() const;
    // A port's new value (floats only; other formats are not ours).
    void portEvent(std::uint32_t port, std::uint32_t bufferSize, std::uint32_t format,
                   const void* buffer);
    // ui:idleInterface: events, redraws and meters.
    void idle();

    float getParameter(int index) const override;
    void beginEdit(int index) override;
    void setParameterAutomated(int index, float value) override;
    void endEdit(int index) override;
    // The host runs its own loop; a drag needs nothing from it.
    void idleHostDuringDrag() override {}
    void readMeters(MeterReadings& readings) override;
    void resetPeakHold() override;
    void resetLoudness() override;
    // Refused: see the definition.
    bool requestEditorSize(int widthPx, int heightPx) override;

  private:
    void touch(int index, bool grabbed);
    void writePort(std::uint32_t port, float value);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    HostFeatures features;
    float parameterValues[kNumParams];
    float meterValues[lv2_port::kMeterCount];
    // The soft-clip gains are peaks: the lowest since the editor's last read, so one that
    // lasted a single run between two idles still shows. Negative: none since.
    float lowestSoftclipGain[2] = {-1.0f, -1.0f};
    // The same for the history's limiter (both channels) and leveller gains.
    float lowestLimiterGain = -1.0f;
    float lowestRmsGain = -1.0f;
    float peakHoldResetValue = 0.0f;
    float loudnessResetValue = 0.0f;
    std::unique_ptr<LimiterEditor> editor;
};
