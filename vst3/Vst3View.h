// The editor's side: IPlugView and the host's IPlugFrame, content scaling, and the Linux run
// loop the host drives the editor from (IRunLoop with its event and timer handlers).
#pragma once

#include "vst3/Vst3Base.h"

namespace vst3
{
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr const char* kEditorViewType = "editor";

struct ViewRect
{
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

class IPlugFrame;

class IPlugView : public FUnknown
{
  public:
    virtual tresult isPlatformTypeSupported(const char* type) = 0;
    virtual tresult attached(void* parent, const char* type) = 0;
    virtual tresult removed() = 0;
    virtual tresult onWheel(float distance) = 0;
    virtual tresult onKeyDown(char16 key, std::int16_t keyCode, std::int16_t modifiers) = 0;
    virtual tresult onKeyUp(char16 key, std::int16_t keyCode, std::int16_t modifiers) = 0;
    virtual tresult getSize(ViewRect* size) = 0;
    virtual tresult onSize(ViewRect* newSize) = 0;
    virtual tresult onFocus(TBool state) = 0;
    virtual tresult setFrame(IPlugFrame* frame) = 0;
    virtual tresult canResize() = 0;
    virtual tresult checkSizeConstraint(ViewRect* rect) = 0;
};
constexpr Tuid kIPlugViewIid = makeTuid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

class IPlugFrame : public FUnknown
{
  public:
    virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;
};
constexpr Tuid kIPlugFrameIid = makeTuid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

class IPlugViewContentScaleSupport : public FUnknown
{
  public:
    virtual tresult setContentScaleFactor(float factor) = 0;
};
constexpr Tuid kIPlugViewContentScaleSupportIid =
    makeTuid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);

class IEventHandler : public FUnknown
{
  public:
    virtual void onFDIsSet(int fd) = 0;
};
constexpr Tuid kIEventHandlerIid = makeTuid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

class ITimerHandler : public FUnknown
{
  public:
    virtual void onTimer() = 0;
};
constexpr Tuid kITimerHandlerIid = makeTuid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

class IRunLoop : public FUnknown
{
  public:
    virtual tresult registerEventHandler(IEventHandler* handler, int fd) = 0;
    virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult registerTimer(ITimerHandler* handler, std::uint64_t milliseconds) = 0;
    virtual tresult unregisterTimer(ITimerHandler* handler) = 0;
};
constexpr Tuid kIRunLoopIid = makeTuid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
} // namespace vst3
