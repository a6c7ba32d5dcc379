// The VST3 edition's editor view: the shared LimiterEditor embedded in the host's X11 window,
// driven by the host's run loop (a timer and the X connection's file descriptor; no thread of
// our own), scaled to the host's content scale, resized through the host's frame when the user
// picks a size. Edits go to the controller, which tells the host; meters come from the linked
// engine. Every call comes from the host's GUI thread.
#pragma once

#include <memory>

#include "editor/EditorConnection.h"
#include "vst3/Vst3View.h"
#include "vst3plugin/Vst3RefCount.h"

class LimiterEditor;
class Vst3Controller;

class Vst3PlugView final : public vst3::IPlugView,
                           public vst3::IPlugViewContentScaleSupport,
                           public vst3::ITimerHandler,
                           public vst3::IEventHandler,
                           public EditorConnection
{
  public:
    explicit Vst3PlugView(Vst3Controller& controller);

    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
    VST3_REFERENCE_COUNTED

    vst3::tresult isPlatformTypeSupported(const char* type) override;
    // Opens the editor in parent. Refused without the frame's run loop, which alone drives it.
    vst3::tresult attached(void* parent, const char* type) override;
    vst3::tresult removed() override;
    vst3::tresult onWheel(float distance) override;
    vst3::tresult onKeyDown(vst3::char16 key, std::int16_t keyCode,
                            std::int16_t modifiers) override;
    vst3::tresult onKeyUp(vst3::char16 key, std::int16_t keyCode, std::int16_t modifiers) override;
    vst3::tresult getSize(vst3::ViewRect* size) override;
    vst3::tresult onSize(vst3::ViewRect* newSize) override;
    vst3::tresult onFocus(vst3::TBool state) override;
    vst3::tresult setFrame(vst3::IPlugFrame* frame) override;
    // The size follows the user's choice in the editor's menu, never a dragged border.
    vst3::tresult canResize() override;
    vst3::tresult checkSizeConstraint(vst3::ViewRect* rect) override;
    vst3::tresult setContentScaleFactor(float factor) override;
    // The run loop: both idle the editor, which handles its window's events and redraws.
    void onTimer() override;
    void onFDIsSet(int fd) override;

    // The controller's value changed (host, program, state). Posts it to the editor.
    void parameterChanged(int index, float value);

    // EditorConnection.
    float getParameter(int index) const override;
    void beginEdit(int index) override;
    void setParameterAutomated(int index, float value) override;
    void endEdit(int index) override;
    // The host runs its own loop; a drag needs nothing from it.
    void idleHostDuringDrag() override {}
    void readMeters(MeterReadings& readings) override;
    void resetPeakHold() override;
    bool requestEditorSize(int widthPx, int heightPx) override;

  private:
    ~Vst3PlugView();
    void stopRunLoop();

    Vst3RefCount refCount;
    Vst3Controller& controller;
    std::unique_ptr<LimiterEditor> editor;
    vst3::IPlugFrame* frame = nullptr;
    vst3::IRunLoop* runLoop = nullptr;
    void* parentWindow = nullptr;
    bool fdRegistered = false;
};
