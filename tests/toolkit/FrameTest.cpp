// The frame's redraw bookkeeping and view ownership, headless.
#include "TestBitmaps.h"
#include "ToolkitTestSupport.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenu.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{
// Fills its rectangle with one colour and notes each time it is drawn.
class ColourView : public CView
{
  public:
    ColourView(const CRect& rect, CColor color, std::vector<std::string>& drawn, const char* name)
        : CView(rect), color(color), drawn(drawn), name(name)
    {
    }
    void draw(CDrawContext* context) override
    {
        drawn.push_back(name);
        context->setFillColor(color);
        context->fillRect(getViewSize());
    }

  private:
    CColor color;
    std::vector<std::string>& drawn;
    const char* name;
};

constexpr CColor kRed{255, 0, 0, 255};
constexpr CColor kGreen{0, 255, 0, 255};
constexpr CColor kBlue{0, 0, 255, 255};

TEST(FrameTest, IdleRedrawsDirtyViewsInTheOrderAddedWithWhatOverlapsThem)
{
    std::vector<std::string> drawn;
    CFrame frame(CRect(0, 0, 100, 100), nullptr, nullptr);
    auto* a = new ColourView(CRect(0, 0, 20, 20), kRed, drawn, "a");
    auto* b = new ColourView(CRect(10, 10, 30, 30), kGreen, drawn, "b");
    auto* c = new ColourView(CRect(50, 50, 60, 60), kBlue, drawn, "c");
    frame.addView(a);
    frame.addView(b);
    frame.addView(c);
    frame.idle();
    EXPECT_EQ(drawn, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(frame.getDrawContext()->getPixel(15, 15), kGreen) << "later views on top";

    drawn.clear();
    frame.idle();
    EXPECT_TRUE(drawn.empty()) << "nothing dirty, nothing drawn";

    a->setDirty();
    frame.idle();
    EXPECT_EQ(drawn, (std::vector<std::string>{"a", "b"})) << "b overlaps a and stays on top";
    EXPECT_EQ(frame.getDrawContext()->getPixel(15, 15), kGreen);

    drawn.clear();
    frame.removeView(b);
    frame.idle();
    EXPECT_EQ(drawn, (std::vector<std::string>{"a"}));
    EXPECT_EQ(frame.getDrawContext()->getPixel(25, 25), kBlackCColor) << "uncovered";
    EXPECT_EQ(frame.getNbViews(), 2);
}

TEST(FrameTest, PopupDrawsOverTheViewsAndClosingOrDeletingTheFrameReleasesIt)
{
    std::vector<std::string> drawn;
    RecordingEditor editor;
    BitmapRef background(kBackgroundId);
    auto frame = std::make_unique<CFrame>(CRect(0, 0, 100, 100), nullptr, &editor);
    frame->addView(new ColourView(CRect(0, 20, 100, 100), kBlue, drawn, "under"));
    auto* menu =
        new COptionMenu(CRect(0, 0, 40, 20), &editor, 16, background.get(), background.get());
    menu->addEntry("one");
    menu->addEntry("two");
    frame->addView(menu);
    frame->idle();

    frame->onMouseDown(CPoint(5, 5), kLButton);
    drawn.clear();
    frame->idle();
    EXPECT_EQ(drawn, (std::vector<std::string>{"under"}));
    EXPECT_NE(frame->getDrawContext()->getPixel(2, 22), kBlue) << "the list covers the view";

    CKeyCode escape = keyCode(kKeyEscape);
    EXPECT_TRUE(frame->onKeyDown(escape));
    EXPECT_EQ(frame->getModalView(), nullptr);
    frame->idle();
    EXPECT_EQ(frame->getDrawContext()->getPixel(2, 22), kBlue);
    EXPECT_TRUE(editor.log.empty());

    frame->onMouseDown(CPoint(5, 5), kLButton); // open again, then the host closes the window
    EXPECT_EQ(background.get()->getNbReference(), 3) << "the menu's two and the popup's";
    frame.reset();
    EXPECT_EQ(background.get()->getNbReference(), 1);
}
} // namespace
