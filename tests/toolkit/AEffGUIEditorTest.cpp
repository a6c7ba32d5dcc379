// The editor base between the plug-in and the toolkit: edit brackets, keys, knob mode, and the
// drag-idle rule driven by a fake clock.
#include "ToolkitTestSupport.h"

#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CFrame.h"
#include "toolkit/CSlider.h"
#include "toolkit/EditorHost.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{
class TestEditor;
std::vector<std::string> hostLog;
TestEditor* editorForHostIdle = nullptr;

// Draws nothing but counts every frame update by staying dirty.
class UpdateCounter : public CView
{
  public:
    explicit UpdateCounter(int& updates) : CView(CRect(0, 0, 1, 1)), updates(updates) {}
    void draw(CDrawContext*) override { ++updates; }
    bool isDirty() const override { return true; }

  private:
    int& updates;
};

class TestEditor : public AEffGUIEditor
{
  public:
    explicit TestEditor(EditorHost* host) : AEffGUIEditor(host) {}

    bool open(void* parent) override
    {
        AEffGUIEditor::open(parent);
        frame = new CFrame(CRect(0, 0, 100, 100), parent, this);
        frame->addView(new UpdateCounter(frameUpdates));
        slider = new CSlider(CRect(0, 0, 10, 100), nullptr, 0, 0, 80, nullptr, nullptr);
        frame->addView(slider);
        return true;
    }

    std::int64_t getTicks() const override { return nowMs; }
    void wait(long milliseconds) override { waitedMs += milliseconds; }

    std::int64_t nowMs = 1000;
    long waitedMs = 0;
    int frameUpdates = 0;
    CSlider* slider = nullptr;
};

class RecordingHost : public EditorHost
{
  public:
    void beginEdit(int index) override { hostLog.push_back("begin " + std::to_string(index)); }
    void endEdit(int index) override { hostLog.push_back("end " + std::to_string(index)); }
    void idleHostDuringDrag() override
    {
        hostLog.push_back("idle");
        if (editorForHostIdle)
            editorForHostIdle->idle(); // as hosts may do: a nested effEditIdle
    }
};

class GuiEditorBaseTest : public ::testing::Test
{
  protected:
    GuiEditorBaseTest()
    {
        hostLog.clear();
        editorForHostIdle = editor;
        editor->open(nullptr);
    }
    ~GuiEditorBaseTest() override
    {
        editorForHostIdle = nullptr;
        setProcessKnobMode(kLinearMode);
    }

    RecordingHost host;
    std::unique_ptr<TestEditor> owner = std::make_unique<TestEditor>(&host);
    TestEditor* editor = owner.get();
};

// Which tags are parameters is the derived editor's business (EditorTraffic checks
// LimiterEditor's): the base forwards every bracket.
TEST_F(GuiEditorBaseTest, EditBracketsAndKeysReachTheHostKnobModeIsProcessWide)
{
    editor->beginEdit(16);
    editor->endEdit(16);
    CKeyCode tab = keyCode(kKeyTab), up = keyCode(kKeyUp);
    EXPECT_TRUE(editor->onKeyDown(tab));
    EXPECT_TRUE(editor->onKeyDown(up));
    EXPECT_FLOAT_EQ(editor->slider->getValue(), 0.1f);
    EXPECT_EQ(hostLog, (std::vector<std::string>{"begin 16", "end 16", "begin 0", "end 0"}));

    EXPECT_TRUE(editor->setKnobMode(kRelativCircularMode));
    EXPECT_EQ(getProcessKnobMode(), kRelativCircularMode);
    EXPECT_FALSE(editor->setKnobMode(3));
    EXPECT_EQ(editor->getKnobMode(), kRelativCircularMode);

    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_FALSE(editor->onKeyDown(up));
}

TEST_F(GuiEditorBaseTest, DragIdleRunsAtMostEvery100MsAndSuppressesTheNestedFrameUpdate)
{
    editor->doIdleStuff(); // due at once
    EXPECT_EQ(editor->frameUpdates, 1) << "the host's nested idle did not update the frame";
    EXPECT_EQ(hostLog, (std::vector<std::string>{"idle"}));
    EXPECT_EQ(editor->waitedMs, 0);

    editor->nowMs = 1040; // 60 ms before due (1100): sleeps 4 ms, still early
    editor->doIdleStuff();
    EXPECT_EQ(editor->frameUpdates, 1);
    EXPECT_EQ(editor->waitedMs, 4);

    editor->nowMs = 1046; // after the sleep 1050: within 50 ms of due, so it runs
    editor->doIdleStuff();
    EXPECT_EQ(editor->frameUpdates, 2);
    EXPECT_EQ(hostLog.size(), 2u);

    editor->nowMs = 1149; // next due 1150
    editor->doIdleStuff();
    EXPECT_EQ(editor->frameUpdates, 3);

    editor->idle(); // the host's own idle updates the frame as always
    EXPECT_EQ(editor->frameUpdates, 4);
}
} // namespace
