// The views open() builds, in the order they are added to the frame (later ones draw over
// earlier ones).
#include "editor/ClickableLabel.h"
#include "editor/LimiterEditor.h"
#include "editor/PeakHoldMeter.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CSlider.h"
#include "toolkit/CTextLabel.h"

#include <iterator>

using namespace editor_layout;

namespace
{
constexpr int knobBitmapIds[] = {bitmapId::knobSmall, bitmapId::knobSmallBipolar,
                                 bitmapId::knobLarge, bitmapId::knobLargeBipolar};

bool isKnobBitmap(int id)
{
    for (int knobId : knobBitmapIds)
        if (id == knobId)
            return true;
    return false;
}
} // namespace

CBitmap* LimiterEditor::controlBitmap(int id) const
{
    return bitmaps[id - firstControlBitmapId];
}

void LimiterEditor::loadControlBitmaps()
{
    for (int id = firstControlBitmapId; id <= lastControlBitmapId; ++id)
    {
        CBitmap*& slot = bitmaps[id - firstControlBitmapId];
        if (slot)
            continue;
        slot = new CBitmap(id);
        if (isKnobBitmap(id))
            slot->setTransparentColor(knobKey);
    }
}

void LimiterEditor::releaseControlBitmaps()
{
    for (CBitmap*& slot : bitmaps)
    {
        if (slot)
            slot->forget();
        slot = nullptr;
    }
}

void LimiterEditor::addView(CView* view)
{
    frame->addView(view);
}

void LimiterEditor::addParameterControl(CControl* control)
{
    control->setValue(connection.getParameter(static_cast<int>(control->getTag())));
    paramControls[control->getTag()] = control;
    addView(control);
}

void LimiterEditor::addMeters()
{
    for (int index = 0; index < meterCount; ++index)
    {
        const MeterEntry& entry = meterTable[index];
        auto* meter = new PeakHoldMeter(toRect(entry.rect), controlBitmap(entry.litId),
                                        controlBitmap(entry.unlitId), meterSegments, kVertical);
        meter->setDecreaseStepValue(entry.fallStep);
        if (entry.showsGain)
        {
            meter->setValue(1.0f);
            meter->setOldValue(1.0f);
        }
        meters[index] = meter;
        addView(meter);
    }
}

void LimiterEditor::addFader(const PixelRect& faderRect, long faderTag, float defaultValue)
{
    auto* fader =
        new CSlider(toRect(faderRect), this, faderTag, art::faderTravelTopPx, faderTravelBottomPx,
                    controlBitmap(bitmapId::faderHandle), controlBitmap(bitmapId::faderTrack),
                    CPoint(0, 0), kVertical | kBottom);
    fader->setOffsetHandle(CPoint(0, 0));
    fader->setFreeClick(false);
    fader->setDefaultValue(defaultValue);
    addParameterControl(fader);
}

void LimiterEditor::addScaleButtons()
{
    static_assert(std::size(layout::scaleButtons) == kScaleButtonCount, "one rectangle per scale");
    for (int button = 0; button < kScaleButtonCount; ++button)
    {
        const PixelRect& buttonRect = layout::scaleButtons[button];
        scaleButtons[button] =
            new CMovieButton(toRect(buttonRect), this, tag::scalePk + button, buttonRect.height(),
                             controlBitmap(bitmapId::buttonSmall));
        addView(scaleButtons[button]);
    }
}

void LimiterEditor::addButton(const PixelRect& buttonRect, int buttonBitmapId, long buttonTag)
{
    addParameterControl(new CMovieButton(toRect(buttonRect), this, buttonTag, buttonRect.height(),
                                         controlBitmap(buttonBitmapId)));
}

void LimiterEditor::addKnobs()
{
    for (const KnobEntry& entry : knobTable)
    {
        CBitmap* strip = controlBitmap(entry.bitmap);
        const long frameHeight = strip->getHeight() / art::knobFrameCount;
        auto* knob = new CAnimKnob(toRect(entry.rect), this, entry.tag, art::knobFrameCount,
                                   frameHeight, strip);
        knob->setTransparency(true);
        addParameterControl(knob);
    }
}

void LimiterEditor::addWordLengthMenu()
{
    CBitmap* strip = controlBitmap(bitmapId::displayStrip);
    auto* menu = new COptionMenu(toRect(layout::wordLengthMenu), this, tag::dithering, strip, strip,
                                 kNoFrame);
    menu->setFontColor(textGrey);
    menu->setFont(kNormalFontSmaller);
    menu->setBackColor(displayDark);
    menu->setTransparency(true);
    for (const char* entry : wordLengthEntries)
        menu->addEntry(entry);
    addParameterControl(menu);
}

void LimiterEditor::addStatusLine()
{
    statusLabel = new CTextLabel(toRect(layout::statusLine), "",
                                 controlBitmap(bitmapId::displayStrip), kNoFrame);
    statusLabel->setFontColor(textGrey);
    statusLabel->setTxtFace(kNormalFace);
    statusLabel->setFont(kNormalFontSmaller);
    statusLabel->setTransparency(true);
    addView(statusLabel);
}

void LimiterEditor::addPeakReadout()
{
    peakReadout = new ClickableLabel(toRect(layout::peakReadout), "", nullptr, kNoFrame, this,
                                     tag::peakReadout);
    peakReadout->setTransparency(true);
    peakReadout->setFontColor(textGrey);
    peakReadout->setTxtFace(kNormalFace);
    peakReadout->setBackColor(displayDark);
    peakReadout->setFont(kNormalFontVerySmall);
    addView(peakReadout);
}
