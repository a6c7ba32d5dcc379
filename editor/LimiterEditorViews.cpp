// The views open() builds, in the order they are added to the frame (later ones draw over
// earlier ones).
#include "editor/ClickableLabel.h"
#include "editor/LimiterEditor.h"
#include "editor/PeakHoldMeter.h"
#include "editor/ScaleMenu.h"
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
        slot = new CBitmap(id, scale);
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

long LimiterEditor::buttonFrameHeight(int id) const
{
    return controlBitmap(id)->getHeight() / art::buttonFrameCount;
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
        auto* meter = new PeakHoldMeter(placed(entry.rect), controlBitmap(entry.litId),
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
    // The handle's top edge travels from the fader's top down to where its bottom meets the
    // track's end.
    const CRect rect = placed(faderRect);
    CBitmap* handle = controlBitmap(bitmapId::faderHandle);
    CBitmap* track = controlBitmap(bitmapId::faderTrack);
    auto* fader = new CSlider(rect, this, faderTag, rect.top,
                              rect.top + track->getHeight() - handle->getHeight(), handle, track,
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
        scaleButtons[button] = new CMovieButton(placed(buttonRect), this, tag::scalePk + button,
                                                buttonFrameHeight(bitmapId::buttonSmall),
                                                controlBitmap(bitmapId::buttonSmall));
        addView(scaleButtons[button]);
    }
}

void LimiterEditor::addButton(const PixelRect& buttonRect, int buttonBitmapId, long buttonTag)
{
    addParameterControl(new CMovieButton(placed(buttonRect), this, buttonTag,
                                         buttonFrameHeight(buttonBitmapId),
                                         controlBitmap(buttonBitmapId)));
}

void LimiterEditor::addKnobs()
{
    for (const KnobEntry& entry : knobTable)
    {
        CBitmap* strip = controlBitmap(entry.bitmap);
        const long frameHeight = strip->getHeight() / art::knobFrameCount;
        auto* knob = new CAnimKnob(placed(entry.rect), this, entry.tag, art::knobFrameCount,
                                   frameHeight, strip);
        knob->setTransparency(true);
        addParameterControl(knob);
    }
}

void LimiterEditor::addWordLengthMenu()
{
    CBitmap* strip = controlBitmap(bitmapId::displayStrip);
    auto* menu = new COptionMenu(placed(layout::wordLengthMenu), this, tag::dithering, strip, strip,
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
    statusLabel = new CTextLabel(placed(layout::statusLine), "",
                                 controlBitmap(bitmapId::displayStrip), kNoFrame);
    statusLabel->setFontColor(textGrey);
    statusLabel->setTxtFace(kNormalFace);
    statusLabel->setFont(kNormalFontSmaller);
    statusLabel->setTransparency(true);
    addView(statusLabel);
}

void LimiterEditor::addPeakReadout()
{
    peakReadout = new ClickableLabel(placed(layout::peakReadout), "", nullptr, kNoFrame, this,
                                     tag::peakReadout);
    peakReadout->setTransparency(true);
    peakReadout->setFontColor(textGrey);
    peakReadout->setTxtFace(kNormalFace);
    peakReadout->setBackColor(displayDark);
    peakReadout->setFont(kNormalFontVerySmall);
    addView(peakReadout);
}

void LimiterEditor::addScaleMenu()
{
    scaleMenu = new ScaleMenu(placed(layout::displayArea), this, tag::scaleMenu, scale);
    scaleMenu->setFontColor(textGrey);
    scaleMenu->setFont(kNormalFontSmaller);
    scaleMenu->setBackColor(displayDark);
    addView(scaleMenu);
}
