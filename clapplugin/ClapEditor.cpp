#include "clapplugin/ClapEditor.h"

#include <cmath>
#include <cstring>

#include "clapplugin/ClapLimiter.h"
#include "editor/EditorLayout.h"
#include "editor/LimiterEditor.h"
#include "resources/PanelGeometry.h"
#include "toolkit/CFrame.h"
#include "toolkit/ScaleFactor.h"

namespace
{
// The editor's meters move at about 30 frames per second.
constexpr std::uint32_t kIdlePeriodMs = 33;

double scaleOfWidth(std::uint32_t width)
{
    return nearestScaleFactor(static_cast<double>(width) / art::kPanelWidthPx);
}

CRect sizeAtScale(double scale)
{
    return editor_layout::scaledRect({0, 0, art::kPanelWidthPx, art::kPanelHeightPx}, scale);
}
} // namespace

ClapEditor::ClapEditor(ClapLimiter& owner)
    : limiter(owner), editor(std::make_unique<LimiterEditor>(*this))
{
}

ClapEditor::~ClapEditor()
{
    destroy();
}

void ClapEditor::postParameter(int index, float value)
{
    editor->setParameter(index, value);
}

bool ClapEditor::isApiSupported(const char* api, bool isFloating)
{
    return api != nullptr && std::strcmp(api, kClapWindowApiX11) == 0 && !isFloating;
}

bool ClapEditor::create(const char* api, bool isFloating)
{
    if (created || !isApiSupported(api, isFloating))
        return false;
    created = true;
    const clap_host_timer_support* timers = limiter.hostTimers();
    if (timers != nullptr && timers->register_timer != nullptr &&
        !timers->register_timer(limiter.getHost(), kIdlePeriodMs, &timer))
        timer = kClapInvalidId;
    return true;
}

void ClapEditor::destroy()
{
    if (!created)
        return;
    stopWatching();
    const clap_host_timer_support* timers = limiter.hostTimers();
    if (timer != kClapInvalidId && timers != nullptr && timers->unregister_timer != nullptr)
        timers->unregister_timer(limiter.getHost(), timer);
    timer = kClapInvalidId;
    editor->close();
    parentWindow = 0;
    created = false;
}

bool ClapEditor::setScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0.0)
        return false;
    editor->setHostScaleFactor(scale);
    return true;
}

bool ClapEditor::getSize(std::uint32_t& width, std::uint32_t& height)
{
    const CRect& size = editor->getRect();
    width = static_cast<std::uint32_t>(size.width());
    height = static_cast<std::uint32_t>(size.height());
    return true;
}

void ClapEditor::adjustSize(std::uint32_t& width, std::uint32_t& height)
{
    const CRect size = sizeAtScale(scaleOfWidth(width));
    width = static_cast<std::uint32_t>(size.width());
    height = static_cast<std::uint32_t>(size.height());
}

bool ClapEditor::setSize(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t adjustedWidth = width;
    std::uint32_t adjustedHeight = height;
    adjustSize(adjustedWidth, adjustedHeight);
    if (adjustedWidth != width || adjustedHeight != height)
        return false;
    hostResizing = true;
    editor->chooseHostSize(scaleOfWidth(width));
    hostResizing = false;
    // The window is rebuilt at the new size now, so the host sees it when set_size returns.
    idle();
    return true;
}

bool ClapEditor::setParent(const clap_window& window)
{
    if (!created || window.api == nullptr || std::strcmp(window.api, kClapWindowApiX11) != 0)
        return false;
    parentWindow = window.x11;
    editor->open(reinterpret_cast<void*>(parentWindow));
    CFrame* frame = editor->getFrame();
    if (frame == nullptr || !frame->isWindowOpen())
    {
        editor->close();
        return false;
    }
    watchConnection();
    return true;
}

bool ClapEditor::show()
{
    return created;
}

bool ClapEditor::hide()
{
    return created;
}

void ClapEditor::onTimer(clap_id id)
{
    if (id == timer)
        idle();
}

void ClapEditor::onFd(int fd)
{
    if (fd == watchedFd)
        idle();
}

unsigned long ClapEditor::windowId() const
{
    CFrame* frame = editor->getFrame();
    return frame != nullptr ? frame->getWindowId() : 0;
}

void ClapEditor::idle()
{
    editor->idle();
    watchConnection();
}

void ClapEditor::watchConnection()
{
    CFrame* frame = editor->getFrame();
    const int fd = frame != nullptr ? frame->getConnectionFd() : -1;
    if (fd == watchedFd)
        return;
    stopWatching();
    const clap_host_posix_fd_support* fds = limiter.hostFds();
    if (fd >= 0 && fds != nullptr && fds->register_fd != nullptr &&
        fds->register_fd(limiter.getHost(), fd, kClapPosixFdRead))
        watchedFd = fd;
}

void ClapEditor::stopWatching()
{
    const clap_host_posix_fd_support* fds = limiter.hostFds();
    if (watchedFd >= 0 && fds != nullptr && fds->unregister_fd != nullptr)
        fds->unregister_fd(limiter.getHost(), watchedFd);
    watchedFd = -1;
}

float ClapEditor::getParameter(int index) const
{
    return limiter.parameterValue(index);
}

void ClapEditor::beginEdit(int index)
{
    limiter.beginGesture(index);
}

void ClapEditor::setParameterAutomated(int index, float value)
{
    limiter.editParameter(index, value);
}

void ClapEditor::endEdit(int index)
{
    limiter.endGesture(index);
}

void ClapEditor::readMeters(MeterReadings& readings)
{
    LimiterEngine& engine = limiter.getEngine();
    readings.peakLeft = engine.getPeakLeft();
    readings.peakRight = engine.getPeakRight();
    readings.rmsLeft = engine.getRmsLeft();
    readings.rmsRight = engine.getRmsRight();
    readings.peakHoldLeft = engine.getPeakHoldLeft();
    readings.peakHoldRight = engine.getPeakHoldRight();
    readings.peakHoldDbLeft = engine.getPeakHoldDbLeft();
    readings.peakHoldDbRight = engine.getPeakHoldDbRight();
    readings.limiterGainLeft = engine.getLimiterGainLeft();
    readings.limiterGainRight = engine.getLimiterGainRight();
    readings.softclipGainLeft = engine.getSoftclipGainLeft();
    readings.softclipGainRight = engine.getSoftclipGainRight();
    readings.rmsGain = engine.getRmsGain();
    readings.correlation = engine.getCorrelation();
    readings.correlationShortfall = engine.getCorrelationShortfall();
}

void ClapEditor::resetPeakHold()
{
    limiter.getEngine().resetPeakHold();
}

bool ClapEditor::requestEditorSize(int widthPx, int heightPx)
{
    if (hostResizing)
        return true;
    const clap_host_gui* gui = limiter.hostGui();
    return widthPx > 0 && heightPx > 0 && gui != nullptr && gui->request_resize != nullptr &&
           gui->request_resize(limiter.getHost(), static_cast<std::uint32_t>(widthPx),
                               static_cast<std::uint32_t>(heightPx));
}
