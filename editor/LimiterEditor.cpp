#include "editor/LimiterEditor.h"

#include "editor/ClickableLabel.h"
#include "editor/DrawingLibraries.h"
#include "editor/GainToPosition.h"
#include "editor/PeakHoldMeter.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/KnobMode.h"

#include <cmath>
#include <cstdio>

using namespace editor_layout;

namespace
{
constexpr float kReadoutResolutionDb = 0.1f; // the readout shows one decimal

// Figures that print as zero print as "0.0", not "-0.0".
float readoutFigure(float db)
{
    return std::fabs(db) < 0.5f * kReadoutResolutionDb ? 0.0f : db;
}

bool isScaleButton(long controlTag)
{
    return controlTag >= tag::scalePk && controlTag <= tag::scaleK20;
}

long editedParameter(long controlTag)
{
    return isScaleButton(controlTag) ? tag::outputScale : controlTag;
}

bool isParameter(long index)
{
    return index >= 0 && index < tag::parameterCount;
}
} // namespace

LimiterEditor::LimiterEditor(EditorConnection& effectConnection)
    : AEffGUIEditor(&effectConnection), connection(effectConnection),
      background(new CBitmap(bitmapId::panel))
{
    keepDrawingLibrariesLoaded();
    rect = CRect(0, 0, background->getWidth(), background->getHeight());
}

LimiterEditor::~LimiterEditor()
{
    if (frame)
        close();
    background->forget();
}

bool LimiterEditor::open(void* parent)
{
    // A host that opens twice without closing would otherwise leave the first window behind.
    if (frame)
        close();
    AEffGUIEditor::open(parent);
    setKnobMode(kLinearMode);
    loadControlBitmaps();
    // The controls read every value afresh below; what was posted before is older.
    postedParameters.clear();

    frame = new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), parent, this);
    frame->setBackground(background);
    addMeters();
    addFader(layout::trimFader, tag::outputTrim, outputTrimDefault);
    scaleImage = new CView(toRect(layout::outputLegend));
    scaleImage->setMouseEnabled(false);
    addView(scaleImage);
    addScaleButtons();
    applyOutputScale(connection.getParameter(tag::outputScale));
    addButton(layout::bypass, bitmapId::buttonLarge, tag::bypass);
    addFader(layout::driveFader, tag::inputDrive, inputDriveDefault);
    addKnobs();
    addButton(layout::interSamplePeak, bitmapId::buttonSmall, tag::interSamplePeak);
    addWordLengthMenu();
    addStatusLine();
    addPeakReadout();
    return true;
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
}

void LimiterEditor::idle()
{
    if (!frame)
        return;
    applyPostedParameters();
    AEffGUIEditor::idle();
    // One read per idle: some readings (the soft-clip gains) are peaks cleared by reading.
    MeterReadings readings;
    connection.readMeters(readings);
    updateMeters(readings);
    updatePeakReadout(readings);
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
        const auto scale = static_cast<OutputScale>(controlTag - tag::scalePk);
        connection.setParameterAutomated(tag::outputScale, outputScaleLook(scale).parameterValue);
    }
    else if (controlTag == tag::peakReadout)
        resetPeakHold();
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
    if (index == tag::outputScale)
        applyOutputScale(value);
    else if (paramControls[index])
        paramControls[index]->setValue(value);
}

void LimiterEditor::applyOutputScale(float value)
{
    const OutputScale scale = outputScaleFor(value);
    const OutputScaleLook& look = outputScaleLook(scale);
    for (int meter = 0; meter < outputMeterCount; ++meter)
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
        outputScaleLook(outputScaleFor(connection.getParameter(tag::outputScale))).readoutOffsetDb;
    char text[64];
    std::snprintf(text, sizeof(text), "%2.1f dB %2.1f",
                  readoutFigure(readings.peakHoldDbLeft + offsetDb),
                  readoutFigure(readings.peakHoldDbRight + offsetDb));
    peakReadout->setText(text);
}

void LimiterEditor::resetPeakHold()
{
    connection.resetPeakHold();
    statusLabel->setText(peakHoldResetMessage);
}
