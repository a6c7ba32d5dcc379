// Synthetic mouse and key events into a headless frame: what each control does with them and
// what reaches the editor, in order.
#include "TestBitmaps.h"
#include "ToolkitTestSupport.h"

#include "toolkit/CAnimKnob.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CSlider.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
using Log = std::vector<std::string>;

// A button, a slider and a knob, in that (tab) order; the menu test adds a menu.
class InputTest : public ::testing::Test
{
  protected:
    InputTest()
    {
        setProcessKnobMode(kLinearMode);
        for (CView* view :
             {static_cast<CView*>(button), static_cast<CView*>(slider), static_cast<CView*>(knob)})
            frame.addView(view);
        slider->setValue(0.5f); // handle rows 40 to 59
        slider->setDefaultValue(1.0f);
        knob->setValue(0.2f);
    }
    ~InputTest() override { setProcessKnobMode(kLinearMode); }

    void drag(CPoint from, CPoint to, long modifiers = 0)
    {
        frame.onMouseDown(from, kLButton | modifiers);
        frame.onMouseMoved(to, kLButton | modifiers);
        frame.onMouseUp(to, kLButton | modifiers);
    }

    static constexpr long kCentre = 20; // of the knob, both ways
    RecordingEditor editor;
    CFrame frame{CRect(0, 0, 120, 160), nullptr, &editor};
    BitmapRef track{kTrackId}, handle{kHandleId}, knobStrip{kKnobId}, buttonBitmap{kButtonId};
    CMovieButton* button =
        new CMovieButton(CRect(70, 120, 80, 130), &editor, 2, 10, buttonBitmap.get());
    // Handle 20 pixels high, its top travelling over rows 0 to 80.
    CSlider* slider =
        new CSlider(CRect(50, 0, 60, 100), &editor, 3, 0, 80, handle.get(), track.get());
    CAnimKnob* knob = new CAnimKnob(CRect(10, 10, 30, 30), &editor, 4, kKnobFrames, kKnobSizePixels,
                                    knobStrip.get());
};

class SliderInputTest : public InputTest
{
};
class KnobInputTest : public InputTest
{
};

TEST_F(SliderInputTest, DragKeepsTheGrabOffsetAndShiftMakesItTenTimesFinerWithoutAJump)
{
    frame.onMouseDown(CPoint(55, 58), kLButton);
    frame.onMouseMoved(CPoint(55, 38), kLButton);
    frame.onMouseMoved(CPoint(55, -100), kLButton); // past the top: clamped
    frame.onMouseMoved(CPoint(55, 48), kLButton);   // back: the handle follows again
    frame.onMouseUp(CPoint(55, 48), kLButton);
    EXPECT_EQ(editor.log,
              (Log{"begin 3", "change 3 0.7500", "change 3 1.0000", "change 3 0.6250", "end 3"}));

    slider->setValue(0.5f);
    frame.onMouseDown(CPoint(55, 50), kLButton);
    frame.onMouseMoved(CPoint(55, 42), kLButton);          // +0.1
    frame.onMouseMoved(CPoint(55, 42), kLButton | kShift); // switch: no change
    frame.onMouseMoved(CPoint(55, 2), kLButton | kShift);  // 40 pixels / 80 / 10 = +0.05
    frame.onMouseUp(CPoint(55, 2), kLButton | kShift);
    EXPECT_NEAR(slider->getValue(), 0.65f, 1e-5f);
}

TEST_F(SliderInputTest, PressOffTheHandleNeedsFreeClickAndCtrlClickAloneRestoresTheDefault)
{
    drag(CPoint(55, 5), CPoint(55, 0));
    frame.onMouseDown(CPoint(55, 5), kLButton | kControl | kShift);
    EXPECT_TRUE(editor.log.empty()) << "off the handle; another modifier with Ctrl is no reset";
    EXPECT_FLOAT_EQ(slider->getValue(), 0.5f);
    frame.onMouseDown(CPoint(55, 5), kLButton | kControl);
    EXPECT_EQ(editor.log, (Log{"begin 3", "change 3 1.0000", "end 3"}));

    editor.log.clear();
    slider->setValue(0.5f);
    slider->setFreeClick(true);
    frame.onMouseDown(CPoint(55, 10), kLButton); // handle centre to row 10: top 0
    frame.onMouseUp(CPoint(55, 10), kLButton);
    EXPECT_EQ(editor.log, (Log{"begin 3", "change 3 1.0000", "end 3"}));
}

TEST_F(KnobInputTest, LinearDragOf200PixelsCoversTheRangeShiftIsFinerCtrlClickResets)
{
    frame.onMouseDown(CPoint(kCentre, kCentre), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f) << "a press alone changes nothing";
    frame.onMouseMoved(CPoint(kCentre, kCentre - 100), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-5f);
    frame.onMouseMoved(CPoint(kCentre + 20, kCentre - 100), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.8f, 1e-5f) << "right increases too";
    frame.onMouseMoved(CPoint(kCentre, kCentre + 200), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.0f);
    frame.onMouseUp(CPoint(kCentre, kCentre + 200), kLButton);
    EXPECT_EQ(editor.log,
              (Log{"begin 4", "change 4 0.7000", "change 4 0.8000", "change 4 0.0000", "end 4"}));

    knob->setValue(0.2f);
    drag(CPoint(kCentre, kCentre), CPoint(kCentre, kCentre - 150), kShift); // 1.5 times finer
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-5f);

    editor.log.clear();
    frame.onMouseDown(CPoint(kCentre, kCentre), kLButton | kControl);
    EXPECT_EQ(editor.log, (Log{"begin 4", "change 4 0.5000", "end 4"}));
}

TEST_F(KnobInputTest, CircularModesFollowThePointerAngleAndAltSwitchesModes)
{
    // Linear mode with Alt: circular. Straight up is the middle of the 270 degree travel.
    frame.onMouseDown(CPoint(kCentre, 11), kLButton | kAlt);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    frame.onMouseMoved(CPoint(kCentre + 10, kCentre), kLButton | kAlt); // right: 225/270
    EXPECT_NEAR(knob->getValue(), 225.0f / 270.0f, 1e-5f);
    frame.onMouseMoved(CPoint(kCentre + 1, kCentre + 10), kLButton | kAlt); // dead zone, right half
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    frame.onMouseMoved(CPoint(kCentre - 1, kCentre + 10), kLButton | kAlt);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.0f);
    frame.onMouseUp(CPoint(kCentre - 1, kCentre + 10), kLButton | kAlt);

    setProcessKnobMode(kCircularMode);
    frame.onMouseDown(CPoint(kCentre - 10, kCentre), kLButton); // left: 45/270
    EXPECT_NEAR(knob->getValue(), 45.0f / 270.0f, 1e-5f);
    frame.onMouseUp(CPoint(kCentre - 10, kCentre), kLButton);
    drag(CPoint(kCentre, kCentre), CPoint(kCentre, kCentre - 100), kAlt);
    EXPECT_NEAR(knob->getValue(), 45.0f / 270.0f + 0.5f, 1e-5f) << "circular mode with Alt: linear";

    knob->setValue(0.2f); // relative circular mode turns from the current value
    setProcessKnobMode(kRelativCircularMode);
    frame.onMouseDown(CPoint(kCentre, 11), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    frame.onMouseMoved(CPoint(kCentre + 10, kCentre), kLButton); // a quarter turn clockwise
    EXPECT_NEAR(knob->getValue(), 0.2f + 90.0f / 270.0f, 1e-5f);
    frame.onMouseMoved(CPoint(kCentre, 11), kLButton);
    frame.onMouseMoved(CPoint(kCentre - 10, kCentre), kLButton); // back and a quarter further
    EXPECT_FLOAT_EQ(knob->getValue(), 0.0f) << "clamped at the minimum";
    frame.onMouseUp(CPoint(kCentre - 10, kCentre), kLButton);
}

TEST_F(InputTest, MovieButtonTogglesAndFollowsWhetherThePointerIsInsideWhileHeld)
{
    frame.onMouseDown(CPoint(75, 125), kLButton);
    frame.onMouseMoved(CPoint(105, 125), kLButton);
    frame.onMouseMoved(CPoint(77, 127), kLButton);
    frame.onMouseUp(CPoint(77, 127), kLButton);
    EXPECT_EQ(editor.log,
              (Log{"begin 2", "change 2 1.0000", "change 2 0.0000", "change 2 1.0000", "end 2"}));
    editor.log.clear();
    drag(CPoint(75, 125), CPoint(105, 155));
    EXPECT_EQ(editor.log, (Log{"begin 2", "change 2 0.0000", "change 2 1.0000", "end 2"}));
    EXPECT_FLOAT_EQ(button->getValue(), 1.0f) << "released outside: unchanged";
}

TEST_F(InputTest, MenuPopupChoosesEntryIByClickOrKeysAndSetValueTakesOnlyExistingEntries)
{
    auto* menu = new COptionMenu(CRect(10, 5, 45, 15), &editor, 16, nullptr, nullptr, kNoFrame);
    for (const char* entry : {"64 bit", "32 bit", "24 bit", "20 bit", "16 bit", "12 bit", " 8 bit"})
        menu->addEntry(entry);
    frame.addView(menu);
    frame.onMouseDown(CPoint(20, 10), kLButton);
    frame.onMouseUp(CPoint(20, 10), kLButton);
    ASSERT_NE(frame.getModalView(), nullptr);
    const CRect list = frame.getModalView()->getViewSize();
    EXPECT_EQ(list.top, 15) << "under the menu";
    EXPECT_EQ(list.height(), 7 * 14);
    EXPECT_TRUE(editor.log.empty());
    frame.idle();

    frame.onMouseDown(CPoint(list.left + 5, list.top + 6 * 14 + 3), kLButton);
    EXPECT_EQ(frame.getModalView(), nullptr);
    EXPECT_FALSE(menu->isPopupOpen());
    EXPECT_EQ(editor.log, (Log{"begin 16", "change 16 6.0000", "end 16"}));
    EXPECT_STREQ(menu->getEntry(menu->getCurrent()), " 8 bit");

    editor.log.clear();
    frame.onMouseDown(CPoint(20, 10), kLButton); // open, then click outside: nothing chosen
    frame.onMouseDown(CPoint(110, 5), kLButton);
    EXPECT_EQ(frame.getModalView(), nullptr);
    EXPECT_TRUE(editor.log.empty());

    frame.onMouseDown(CPoint(20, 10), kLButton); // keys: Up from entry 6, Return
    CKeyCode up = keyCode(kKeyUp), enter = keyCode(kKeyReturn);
    frame.onKeyDown(up);
    frame.onKeyDown(enter);
    EXPECT_EQ(editor.log, (Log{"begin 16", "change 16 5.0000", "end 16"}));

    // setValue selects entry int(value) only when it exists.
    for (const auto& [given, expected] : {std::pair{2.0f, 2.0f},
                                          {6.9f, 6.0f},
                                          {7.0f, 6.0f},
                                          {-0.5f, 0.0f},
                                          {-1.0f, 0.0f},
                                          {3.0f, 3.0f},
                                          {NAN, 3.0f},
                                          {1e9f, 3.0f}})
    {
        menu->setValue(given);
        EXPECT_FLOAT_EQ(menu->getValue(), expected) << "given " << given;
    }
}

TEST_F(InputTest, TabMovesTheFocusAndArrowsStepTheFocusedControl)
{
    CKeyCode up = keyCode(kKeyUp);
    EXPECT_FALSE(frame.onKeyDown(up)) << "no focus: the host gets the key";
    CKeyCode tab = keyCode(kKeyTab);
    EXPECT_TRUE(frame.onKeyDown(tab));
    EXPECT_EQ(frame.getFocusView(), slider) << "buttons take no focus";
    CKeyCode fineDown = keyCode(kKeyDown, kModifierShift);
    CKeyCode right = keyCode(kKeyRight);
    frame.onKeyDown(up);
    frame.onKeyDown(fineDown);
    EXPECT_EQ(editor.log,
              (Log{"begin 3", "change 3 0.6000", "end 3", "begin 3", "change 3 0.5900", "end 3"}));
    frame.onKeyDown(tab);
    EXPECT_EQ(frame.getFocusView(), knob);
    knob->setValue(0.95f);
    frame.onKeyDown(right);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f) << "clamped";
    CKeyCode backTab = keyCode(kKeyTab, kModifierShift);
    frame.onKeyDown(backTab);
    EXPECT_EQ(frame.getFocusView(), slider);
    frame.onMouseDown(CPoint(15, 15), kRButton);
    EXPECT_EQ(frame.getFocusView(), knob) << "a click focuses too";
}
} // namespace
