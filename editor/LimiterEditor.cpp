#include "editor/LimiterEditor.h"

#include "editor/ClickableLabel.h"
#include "editor/DrawingLibraries.h"
#include "editor/GainToPosition.h"
#include "editor/PeakHoldMeter.h"
#include "engine/LimiterEngine.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/KnobMode.h"
#include "vst/AudioEffect.h"

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
} // namespace

LimiterEditor::LimiterEditor(AudioEffect* owner, LimiterEngine* limiterEngine)
    : AEffGUIEditor(owner), engine(limiterEngine), background(new CBitmap(bitmapId::panel))
{
    keepDrawingLibrariesLoaded();
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(background->getHeight());
    rect.right = static_cast<VstInt16>(background->getWidth());
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
    applyOutputScale(effect->getParameter(tag::outputScale));
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
    updateMeters();
    updatePeakReadout();
}

void LimiterEditor::setParameter(VstInt32 index, float value)
{
    postedParameters.post(index, value);
}

void LimiterEditor::beginEdit(long index)
{
    AEffGUIEditor::beginEdit(editedParameter(index));
}

void LimiterEditor::endEdit(long index)
{
    AEffGUIEditor::endEdit(editedParameter(index));
}

void LimiterEditor::valueChanged(CDrawContext*, CControl* control)
{
    const long controlTag = control->getTag();
    if (controlTag >= 0 && controlTag < tag::parameterCount)
        effect->setParameterAutomated(static_cast<VstInt32>(controlTag), control->getValue());
    else if (isScaleButton(controlTag))
    {
        const auto scale = static_cast<OutputScale>(controlTag - tag::scalePk);
        effect->setParameterAutomated(tag::outputScale, outputScaleLook(scale).parameterValue);
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

void LimiterEditor::updateMeters()
{
    const auto level = [this](MeterIndex meter, float gain)
    { meters[meter]->setValue(gainToPosition(gain)); };
    level(outputPeakLeftMeter, engine->getPeakLeft());
    meters[outputPeakLeftMeter]->setPeak(gainToPosition(engine->getPeakHoldLeft()));
    level(outputPeakRightMeter, engine->getPeakRight());
    meters[outputPeakRightMeter]->setPeak(gainToPosition(engine->getPeakHoldRight()));
    level(outputRmsLeftMeter, engine->getRmsLeft());
    level(outputRmsRightMeter, engine->getRmsRight());
    // The bar is the shortfall below the threshold (0..2), the marker the correlation (-1..1).
    meters[correlationMeter]->setValue(0.5f * engine->getCorrelationShortfall());
    meters[correlationMeter]->setPeak(0.5f * (engine->getCorrelation() + 1.0f));
    level(limiterGainLeftMeter, engine->getLimiterGainLeft());
    level(limiterGainRightMeter, engine->getLimiterGainRight());
    // These reads clear the engine's soft-clip peaks: this idle must be their only caller.
    level(softclipGainLeftMeter, engine->getSoftclipGainLeft());
    level(softclipGainRightMeter, engine->getSoftclipGainRight());
    const float rmsGain = engine->getRmsGain();
    level(rmsGainLeftMeter, rmsGain);
    level(rmsGainRightMeter, rmsGain);
}

void LimiterEditor::updatePeakReadout()
{
    const float offsetDb =
        outputScaleLook(outputScaleFor(effect->getParameter(tag::outputScale))).readoutOffsetDb;
    char text[64];
    std::snprintf(text, sizeof(text), "%2.1f dB %2.1f",
                  readoutFigure(engine->getPeakHoldDbLeft() + offsetDb),
                  readoutFigure(engine->getPeakHoldDbRight() + offsetDb));
    peakReadout->setText(text);
}

void LimiterEditor::resetPeakHold()
{
    engine->resetPeakHold();
    statusLabel->setText(peakHoldResetMessage);
}
