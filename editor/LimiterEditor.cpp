#include "editor/LimiterEditor.h"

#include "editor/ClickableLabel.h"
#include "editor/DrawingLibraries.h"
#include "editor/GainToPosition.h"
#include "editor/LoudnessPanel.h"
#include "editor/PeakHoldMeter.h"
#include "editor/ScaleMenu.h"
#include "editor/ScaleSetting.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/CTextLabel.h"
#include "toolkit/KnobMode.h"
#include "toolkit/ScaleFactor.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

using namespace editor_layout;

namespace
{
constexpr float kReadoutResolutionDb = 0.1f; // the readout shows one decimal
constexpr double kPercent = 100.0;

// Figures that print as zero print as "0.0", not "-0.0".
float readoutFigure(float db)
{
    return std::fabs(db) < 0.5f * kReadoutResolutionDb ? 0.0f : db;
}

bool isScaleButton(long controlTag)
{
    return controlTag >= tag::kScalePk && controlTag <= tag::kScaleK20;
}

long editedParameter(long controlTag)
{
    return isScaleButton(controlTag) ? tag::kOutputScale : controlTag;
}

bool isParameter(long index)
{
    return index >= 0 && index < tag::kParameterCount;
}
} // namespace

LimiterEditor::LimiterEditor(EditorConnection& effectConnection)
    : AEffGUIEditor(&effectConnection), connection(effectConnection)
{
    keepDrawingLibrariesLoaded();
}

void LimiterEditor::setHostScaleFactor(double factor)
{
    hostScale = factor > 0.0 ? nearestScaleFactor(factor) : 0.0;
}

double LimiterEditor::chooseScale() const
{
    const double remembered = readRememberedScale();
    if (remembered > 0.0)
        return remembered;
    if (userScale > 0.0)
        return userScale; // the file could not be written
    return hostScale > 0.0 ? hostScale : desktopScaleFactor();
}

bool LimiterEditor::choosePanelShown() const
{
    const int remembered = readRememberedPanelShown();
    if (remembered >= 0)
        return remembered == 1;
    return userPanelShown == 1; // the file could not be written, or none chosen
}

CRect LimiterEditor::sizeOf(double newScale, bool shown) const
{
    const PixelRect whole{0, 0, art::kPanelWidthPx,
                          shown ? loudness_layout::kPanel.bottom : art::kPanelHeightPx};
    return scaledRect(whole, newScale);
}

void LimiterEditor::applyLayout(double newScale, bool shown)
{
    panelShown = shown;
    rect = sizeOf(newScale, shown);
    if (background && newScale == scale)
        return;
    scale = newScale;
    // The frame, while open, keeps its own reference to the panel it shows.
    if (background)
        background->forget();
    background = new CBitmap(bitmapId::kPanel, scale);
}

const CRect& LimiterEditor::getRect()
{
    if (!frame)
        applyLayout(chooseScale(), choosePanelShown());
    return rect;
}

CRect LimiterEditor::placed(const PixelRect& frameRect) const
{
    return scaledRect(frameRect, scale);
}

LimiterEditor::~LimiterEditor()
{
    if (frame)
        close();
    if (background)
        background->forget();
}

bool LimiterEditor::open(void* parent)
{
    // A host that opens twice without closing would otherwise leave the first window behind.
    if (frame)
        close();
    applyLayout(chooseScale(), choosePanelShown());
    build(parent);
    // No display, or a parent the server does not know: nothing opened, none claimed. Without
    // a parent the frame is headless on purpose (pictures, tests).
    if (parent != nullptr && !frame->isWindowOpen())
    {
        close();
        return false;
    }
    return true;
}

void LimiterEditor::build(void* parent)
{
    if (frame)
        close();
    AEffGUIEditor::open(parent);
    setKnobMode(kLinearMode);
    loadControlBitmaps();
    // The controls read every value afresh below; what was posted before is older.
    postedParameters.clear();

    frame = new CFrame(rect, parent, this, scale);
    frame->setBackground(background);
    addMeters();
    addFader(layout::kTrimFader, tag::kOutputTrim, kOutputTrimDefault);
    scaleImage = new CView(placed(layout::kOutputLegend));
    scaleImage->setMouseEnabled(false);
    addView(scaleImage);
    addScaleButtons();
    applyOutputScale(connection.getParameter(tag::kOutputScale));
    addButton(layout::kBypass, bitmapId::kButtonLarge, tag::kBypass);
    addFader(layout::kDriveFader, tag::kInputDrive, kInputDriveDefault);
    addKnobs();
    addButton(layout::kInterSamplePeak, bitmapId::kButtonSmall, tag::kInterSamplePeak);
    addWordLengthMenu();
    addStatusLine();
    addPeakReadout();
    addScaleMenu();
    if (panelShown)
        addLoudnessPanel();
}

void LimiterEditor::close()
{
    AEffGUIEditor::close();
    releaseControlBitmaps();
    for (PeakHoldMeter*& meter : meters)
        meter = nullptr;
    for (CControl*& control : paramControls)
        control = nullptr;
    for (CMovieButton*& button : scaleButtons)
        button = nullptr;
    scaleImage = nullptr;
    statusLabel = nullptr;
    peakReadout = nullptr;
    scaleMenu = nullptr;
    loudnessPanel = nullptr;
    loudnessReset = nullptr;
    resizePending = false;
}

void LimiterEditor::idle()
{
    if (!frame)
        return;
    // Never while the frame is handling an event of its own (a host may idle from a callback).
    if (resizePending && !frame->isInIdle())
    {
        resizePending = false;
        build(systemWindow);
    }
    applyPostedParameters();
    AEffGUIEditor::idle();
    // One read per idle: some readings (the soft-clip gains) are peaks cleared by reading.
    MeterReadings readings;
    connection.readMeters(readings);
    updateMeters(readings);
    updatePeakReadout(readings);
    updateLoudness(readings);
}

void LimiterEditor::setParameter(long index, float value)
{
    if (isParameter(index))
        postedParameters.post(static_cast<int>(index), value);
}

void LimiterEditor::beginEdit(long index)
{
    if (isParameter(editedParameter(index)))
        AEffGUIEditor::beginEdit(editedParameter(index));
}

void LimiterEditor::endEdit(long index)
{
    if (isParameter(editedParameter(index)))
        AEffGUIEditor::endEdit(editedParameter(index));
}

void LimiterEditor::valueChanged(CDrawContext*, CControl* control)
{
    const long controlTag = control->getTag();
    if (isParameter(controlTag))
        connection.setParameterAutomated(static_cast<int>(controlTag), control->getValue());
    else if (isScaleButton(controlTag))
    {
        const auto scale = static_cast<OutputScale>(controlTag - tag::kScalePk);
        connection.setParameterAutomated(tag::kOutputScale, outputScaleLook(scale).parameterValue);
    }
    else if (controlTag == tag::kPeakReadout)
        resetPeakHold();
    else if (controlTag == tag::kScaleMenu)
    {
        const long entry = std::lround(control->getValue());
        if (entry == ScaleMenu::kPanelEntry)
            toggleLoudnessPanel();
        else
            chooseUserScale(ScaleMenu::scaleOfEntry(entry));
    }
    else if (controlTag == tag::kLoudnessReset)
        resetLoudness();
    else if (controlTag == tag::kLoudnessTarget)
        targetEntry = static_cast<int>(std::lround(control->getValue()));
    else if (controlTag == tag::kHistorySpan)
        spanEntry = static_cast<int>(std::lround(control->getValue()));
    // The effect's answer came back through setParameter; show it now rather than at the next
    // idle, so a pressed scale button is lit again before anything is drawn.
    applyPostedParameters();
}

void LimiterEditor::applyPostedParameters()
{
    postedParameters.takeAll([this](int index, float value) { applyParameter(index, value); });
}

void LimiterEditor::applyParameter(int index, float value)
{
    if (!frame)
        return;
    if (index == tag::kOutputScale)
        applyOutputScale(value);
    else if (paramControls[index])
        paramControls[index]->setValue(value);
}

void LimiterEditor::applyOutputScale(float value)
{
    const OutputScale scale = outputScaleFor(value);
    const OutputScaleLook& look = outputScaleLook(scale);
    for (int meter = 0; meter < kOutputMeterCount; ++meter)
        meters[meter]->setOnBitmap(controlBitmap(look.litStripId));
    scaleImage->setBackground(controlBitmap(look.legendId));
    for (int button = 0; button < kScaleButtonCount; ++button)
        scaleButtons[button]->setValue(button == static_cast<int>(scale) ? 1.0f : 0.0f);
}

void LimiterEditor::updateMeters(const MeterReadings& readings)
{
    const auto level = [this](MeterIndex meter, float gain)
    { meters[meter]->setValue(gainToPosition(gain)); };
    level(outputPeakLeftMeter, readings.peakLeft);
    meters[outputPeakLeftMeter]->setPeak(gainToPosition(readings.peakHoldLeft));
    level(outputPeakRightMeter, readings.peakRight);
    meters[outputPeakRightMeter]->setPeak(gainToPosition(readings.peakHoldRight));
    level(outputRmsLeftMeter, readings.rmsLeft);
    level(outputRmsRightMeter, readings.rmsRight);
    // The bar is the shortfall below the threshold (0..2), the marker the correlation (-1..1).
    meters[correlationMeter]->setValue(0.5f * readings.correlationShortfall);
    meters[correlationMeter]->setPeak(0.5f * (readings.correlation + 1.0f));
    level(limiterGainLeftMeter, readings.limiterGainLeft);
    level(limiterGainRightMeter, readings.limiterGainRight);
    level(softclipGainLeftMeter, readings.softclipGainLeft);
    level(softclipGainRightMeter, readings.softclipGainRight);
    level(rmsGainLeftMeter, readings.rmsGain);
    level(rmsGainRightMeter, readings.rmsGain);
}

void LimiterEditor::updatePeakReadout(const MeterReadings& readings)
{
    const float offsetDb =
        outputScaleLook(outputScaleFor(connection.getParameter(tag::kOutputScale))).readoutOffsetDb;
    char text[64];
    std::snprintf(text, sizeof(text), "%2.1f dB %2.1f",
                  readoutFigure(readings.peakHoldDbLeft + offsetDb),
                  readoutFigure(readings.peakHoldDbRight + offsetDb));
    peakReadout->setText(text);
}

bool LimiterEditor::requestLayout(double newScale, bool shown)
{
    const CRect newSize = sizeOf(newScale, shown);
    if (!connection.requestEditorSize(newSize.width(), newSize.height()))
        return false;
    // The frame is in the middle of the menu's click: the next idle rebuilds it.
    applyLayout(newScale, shown);
    resizePending = true;
    return true;
}

void LimiterEditor::chooseUserScale(double newScale)
{
    userScale = newScale;
    rememberScale(newScale);
    if (newScale == scale || requestLayout(newScale, panelShown))
        return;
    char message[64];
    std::snprintf(message, sizeof(message), "Size %ld %% at the next opening",
                  std::lround(newScale * kPercent));
    statusLabel->setText(message);
}

void LimiterEditor::toggleLoudnessPanel()
{
    const bool shown = !panelShown;
    userPanelShown = shown ? 1 : 0;
    rememberPanelShown(shown);
    if (requestLayout(scale, shown))
        return;
    statusLabel->setText(shown ? "Loudness panel at the next opening"
                               : "No loudness panel at the next opening");
}

void LimiterEditor::updateLoudness(const MeterReadings& readings)
{
    using namespace loudness_layout;
    // Fed also while the panel is hidden, so it opens on the recent past.
    const double now =
        historyClock
            ? historyClock()
            : std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    history.add(now, readings);
    if (!loudnessPanel)
        return;
    const float target = targetEntry < kTargetCount - 1 ? kTargetsLufs[targetEntry]
                                                        : std::numeric_limits<float>::quiet_NaN();
    loudnessPanel->show(readings.loudness, now, kSpansSeconds[spanEntry], target);
}

void LimiterEditor::resetLoudness()
{
    connection.resetLoudness();
    history.clear();
    loudnessReset->setText(loudness_layout::kResetText);
    statusLabel->setText(loudness_layout::kResetMessage);
}

void LimiterEditor::resetPeakHold()
{
    connection.resetPeakHold();
    statusLabel->setText(kPeakHoldResetMessage);
}
