#include "vst3plugin/Vst3PlugView.h"

#include <cstring>

#include "editor/LimiterEditor.h"
#include "engine/LimiterEngine.h"
#include "toolkit/CFrame.h"
#include "vst3plugin/Vst3Controller.h"

namespace
{
// About 30 redraws a second, as the other editions' hosts idle.
constexpr std::uint64_t kIdleIntervalMs = 33;
} // namespace

Vst3PlugView::Vst3PlugView(Vst3Controller& owner)
    : controller(owner), editor(std::make_unique<LimiterEditor>(*this))
{
    controller.addRef();
}

Vst3PlugView::~Vst3PlugView()
{
    removed();
    editor.reset();
    controller.release();
}

vst3::tresult Vst3PlugView::queryInterface(vst3::TUIDPointer iid, void** object)
{
    if (object == nullptr)
        return vst3::kInvalidArgument;
    void* found = nullptr;
    if (vst3::sameTuid(iid, vst3::kFUnknownIid) || vst3::sameTuid(iid, vst3::kIPlugViewIid))
        found = static_cast<vst3::IPlugView*>(this);
    else if (vst3::sameTuid(iid, vst3::kIPlugViewContentScaleSupportIid))
        found = static_cast<vst3::IPlugViewContentScaleSupport*>(this);
    else if (vst3::sameTuid(iid, vst3::kITimerHandlerIid))
        found = static_cast<vst3::ITimerHandler*>(this);
    else if (vst3::sameTuid(iid, vst3::kIEventHandlerIid))
        found = static_cast<vst3::IEventHandler*>(this);
    *object = found;
    if (found == nullptr)
        return vst3::kNoInterface;
    addRef();
    return vst3::kResultOk;
}

vst3::tresult Vst3PlugView::isPlatformTypeSupported(const char* type)
{
    return type != nullptr && std::strcmp(type, vst3::kPlatformTypeX11EmbedWindowID) == 0
               ? vst3::kResultTrue
               : vst3::kResultFalse;
}

vst3::tresult Vst3PlugView::attached(void* parent, const char* type)
{
    if (parent == nullptr || isPlatformTypeSupported(type) != vst3::kResultTrue)
        return vst3::kResultFalse;
    if (runLoop != nullptr)
        return vst3::kResultFalse; // already attached
    void* loop = nullptr;
    if (frame == nullptr ||
        frame->queryInterface(vst3::kIRunLoopIid.data(), &loop) != vst3::kResultOk ||
        loop == nullptr)
        return vst3::kResultFalse;
    runLoop = static_cast<vst3::IRunLoop*>(loop);
    if (!editor->open(parent) || editor->getFrame() == nullptr ||
        !editor->getFrame()->isWindowOpen())
    {
        editor->close();
        stopRunLoop();
        return vst3::kResultFalse;
    }
    parentWindow = parent;
    runLoop->registerTimer(this, kIdleIntervalMs);
    const int fd = editor->getFrame()->getConnectionFd();
    fdRegistered = fd >= 0 && runLoop->registerEventHandler(this, fd) == vst3::kResultOk;
    controller.viewOpened(this);
    return vst3::kResultOk;
}

vst3::tresult Vst3PlugView::removed()
{
    if (runLoop == nullptr)
        return vst3::kResultFalse;
    stopRunLoop();
    editor->close();
    parentWindow = nullptr;
    controller.viewClosed(this);
    return vst3::kResultOk;
}

void Vst3PlugView::stopRunLoop()
{
    if (runLoop == nullptr)
        return;
    runLoop->unregisterTimer(this);
    if (fdRegistered)
        runLoop->unregisterEventHandler(this);
    fdRegistered = false;
    runLoop->release();
    runLoop = nullptr;
}

vst3::tresult Vst3PlugView::onWheel(float)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3PlugView::onKeyDown(vst3::char16, std::int16_t, std::int16_t)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3PlugView::onKeyUp(vst3::char16, std::int16_t, std::int16_t)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3PlugView::getSize(vst3::ViewRect* size)
{
    if (size == nullptr)
        return vst3::kInvalidArgument;
    const CRect& rect = editor->getRect();
    size->left = 0;
    size->top = 0;
    size->right = static_cast<std::int32_t>(rect.width());
    size->bottom = static_cast<std::int32_t>(rect.height());
    return vst3::kResultOk;
}

vst3::tresult Vst3PlugView::onSize(vst3::ViewRect* newSize)
{
    return newSize != nullptr ? vst3::kResultOk : vst3::kInvalidArgument;
}

vst3::tresult Vst3PlugView::onFocus(vst3::TBool)
{
    return vst3::kResultOk;
}

vst3::tresult Vst3PlugView::setFrame(vst3::IPlugFrame* newFrame)
{
    frame = newFrame;
    return vst3::kResultOk;
}

vst3::tresult Vst3PlugView::canResize()
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3PlugView::checkSizeConstraint(vst3::ViewRect* rect)
{
    if (rect == nullptr)
        return vst3::kInvalidArgument;
    return getSize(rect);
}

vst3::tresult Vst3PlugView::setContentScaleFactor(float factor)
{
    if (!(factor > 0.0f))
        return vst3::kInvalidArgument;
    editor->setHostScaleFactor(factor);
    // While open, the window is rebuilt at the new scale and the host told the new size.
    if (parentWindow != nullptr)
    {
        editor->open(parentWindow);
        vst3::ViewRect size{};
        getSize(&size);
        if (frame != nullptr)
            frame->resizeView(this, &size);
    }
    return vst3::kResultOk;
}

void Vst3PlugView::onTimer()
{
    controller.runDeferredRestart();
    editor->idle();
}

void Vst3PlugView::onFDIsSet(int)
{
    editor->idle();
}

void Vst3PlugView::parameterChanged(int index, float value)
{
    editor->setParameter(index, value);
}

float Vst3PlugView::getParameter(int index) const
{
    return isParamIndex(index) ? controller.parameterValue(index) : 0.0f;
}

void Vst3PlugView::beginEdit(int index)
{
    controller.beginEdit(index);
}

void Vst3PlugView::setParameterAutomated(int index, float value)
{
    // The controller hands the stored value back through parameterChanged.
    controller.performEdit(index, value);
}

void Vst3PlugView::endEdit(int index)
{
    controller.endEdit(index);
}

void Vst3PlugView::readMeters(MeterReadings& readings)
{
    LimiterEngine* engine = controller.engine();
    if (engine == nullptr)
        return;
    readings.peakLeft = engine->getPeakLeft();
    readings.peakRight = engine->getPeakRight();
    readings.rmsLeft = engine->getRmsLeft();
    readings.rmsRight = engine->getRmsRight();
    readings.peakHoldLeft = engine->getPeakHoldLeft();
    readings.peakHoldRight = engine->getPeakHoldRight();
    readings.peakHoldDbLeft = engine->getPeakHoldDbLeft();
    readings.peakHoldDbRight = engine->getPeakHoldDbRight();
    readings.limiterGainLeft = engine->getLimiterGainLeft();
    readings.limiterGainRight = engine->getLimiterGainRight();
    readings.softclipGainLeft = engine->getSoftclipGainLeft();
    readings.softclipGainRight = engine->getSoftclipGainRight();
    readings.rmsGain = engine->getRmsGain();
    readings.correlation = engine->getCorrelation();
    readings.correlationShortfall = engine->getCorrelationShortfall();
}

void Vst3PlugView::resetPeakHold()
{
    if (LimiterEngine* engine = controller.engine())
        engine->resetPeakHold();
}

bool Vst3PlugView::requestEditorSize(int widthPx, int heightPx)
{
    if (frame == nullptr)
        return false;
    vst3::ViewRect size{0, 0, widthPx, heightPx};
    return frame->resizeView(this, &size) == vst3::kResultOk;
}
