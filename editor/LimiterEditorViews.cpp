// The views open() builds, in the order they are added to the frame (later ones draw over
// earlier ones).
#include "editor/ClickableLabel.h"
#include "editor/LimiterEditor.h"
#include "editor/LoudnessPanel.h"
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
constexpr int kNobBitmapIds[] = {bitmapId::kNobSmall, bitmapId::kNobSmallBipolar,
                                 bitmapId::kNobLarge, bitmapId::kNobLargeBipolar};

bool isKnobBitmap(int id)
{
    for (int knobId : kNobBitmapIds)
        if (id == knobId)
            return true;
    return false;
}
} // namespace

CBitmap* LimiterEditor::controlBitmap(int id) const
{
    return bitmaps[id - kFirstControlBitmapId];
}

void LimiterEditor::loadControlBitmaps()
{
    for (int id = kFirstControlBitmapId; id <= kLastControlBitmapId; ++id)
    {
        CBitmap*& slot = bitmaps[id - kFirstControlBitmapId];
        if (slot)
            continue;
        slot = new CBitmap(id, scale);
        if (isKnobBitmap(id))
            slot->setTransparentColor(kNobKey);
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
    return controlBitmap(id)->getHeight() / art::kButtonFrameCount;
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
        const MeterEntry& entry = kMeterTable[index];
        auto* meter = new PeakHoldMeter(placed(entry.rect), controlBitmap(entry.litId),
                                        controlBitmap(entry.unlitId), kMeterSegments, kVertical);
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
    CBitmap* handle = controlBitmap(bitmapId::kFaderHandle);
    CBitmap* track = controlBitmap(bitmapId::kFaderTrack);
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
    static_assert(std::size(layout::kScaleButtons) == kScaleButtonCount, "one rectangle per scale");
    for (int button = 0; button < kScaleButtonCount; ++button)
    {
        const PixelRect& buttonRect = layout::kScaleButtons[button];
        scaleButtons[button] = new CMovieButton(placed(buttonRect), this, tag::kScalePk + button,
                                                buttonFrameHeight(bitmapId::kButtonSmall),
                                                controlBitmap(bitmapId::kButtonSmall));
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
    for (const KnobEntry& entry : kNobTable)
    {
        CBitmap* strip = controlBitmap(entry.bitmap);
        const long frameHeight = strip->getHeight() / art::kNobFrameCount;
        auto* knob = new CAnimKnob(placed(entry.rect), this, entry.tag, art::kNobFrameCount,
                                   frameHeight, strip);
        knob->setTransparency(true);
        addParameterControl(knob);
    }
}

void LimiterEditor::addWordLengthMenu()
{
    CBitmap* strip = controlBitmap(bitmapId::kDisplayStrip);
    auto* menu = new COptionMenu(placed(layout::kWordLengthMenu), this, tag::kDithering, strip,
                                 strip, kNoFrame);
    menu->setFontColor(kTextGrey);
    menu->setFont(kNormalFontSmaller);
    menu->setBackColor(kDisplayDark);
    menu->setTransparency(true);
    for (const char* entry : kWordLengthEntries)
        menu->addEntry(entry);
    addParameterControl(menu);
}

void LimiterEditor::addStatusLine()
{
    statusLabel = new CTextLabel(placed(layout::kStatusLine), "",
                                 controlBitmap(bitmapId::kDisplayStrip), kNoFrame);
    statusLabel->setFontColor(kTextGrey);
    statusLabel->setTxtFace(kNormalFace);
    statusLabel->setFont(kNormalFontSmaller);
    statusLabel->setTransparency(true);
    addView(statusLabel);
}

void LimiterEditor::addPeakReadout()
{
    peakReadout = new ClickableLabel(placed(layout::kPeakReadout), "", nullptr, kNoFrame, this,
                                     tag::kPeakReadout);
    peakReadout->setTransparency(true);
    peakReadout->setFontColor(kTextGrey);
    peakReadout->setTxtFace(kNormalFace);
    peakReadout->setBackColor(kDisplayDark);
    peakReadout->setFont(kNormalFontVerySmall);
    addView(peakReadout);
}

void LimiterEditor::addScaleMenu()
{
    scaleMenu =
        new ScaleMenu(placed(layout::kDisplayArea), this, tag::kScaleMenu, scale, panelShown);
    scaleMenu->setFontColor(kTextGrey);
    scaleMenu->setFont(kNormalFontSmaller);
    scaleMenu->setBackColor(kDisplayDark);
    addView(scaleMenu);
}

COptionMenu* LimiterEditor::addPanelMenu(const PixelRect& rect, long menuTag,
                                         const char* const* entries, int count, int current)
{
    auto* menu = new COptionMenu(placed(rect), this, menuTag, nullptr, nullptr, kNoFrame);
    menu->setFontColor(kTextGrey);
    menu->setFont(kNormalFontSmaller);
    menu->setBackColor(kDisplayDark);
    for (int entry = 0; entry < count; ++entry)
        menu->addEntry(entries[entry]);
    menu->setValue(static_cast<float>(current));
    addView(menu);
    return menu;
}

void LimiterEditor::addLoudnessPanel()
{
    using namespace loudness_layout;
    loudnessPanel = new LoudnessPanel(placed(kPanel), scale, history);
    addView(loudnessPanel);
    addPanelMenu(kTargetMenu, tag::kLoudnessTarget, kTargetEntries, kTargetCount, targetEntry);
    addPanelMenu(kSpanMenu, tag::kHistorySpan, kSpanEntries, kSpanCount, spanEntry);
    loudnessReset = new ClickableLabel(placed(kResetButton), kResetText, nullptr, kNoFrame, this,
                                       tag::kLoudnessReset);
    loudnessReset->setFontColor(kTextGrey);
    loudnessReset->setTxtFace(kNormalFace);
    loudnessReset->setBackColor(kDisplayDark);
    loudnessReset->setFont(kNormalFontSmaller);
    addView(loudnessReset);
}
