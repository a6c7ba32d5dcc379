#include <gtest/gtest.h>

#include "ProbeEffect.h"
#include "vst/AEffEditor.h"

namespace
{
struct FakeEditor : AEffEditor
{
    FakeEditor(AudioEffect* effect, int* destroyedCount)
        : AEffEditor(effect), destroyedCount(destroyedCount)
    {
    }
    ~FakeEditor() override { ++*destroyedCount; }

    bool getRect(ERect** outRect) override
    {
        *outRect = &rect;
        return true;
    }
    bool open(void* ptr) override
    {
        AEffEditor::open(ptr);
        return true;
    }
    void idle() override { ++idleCount; }
    bool onKeyDown(VstKeyCode& key) override
    {
        lastKey = key;
        return key.virt == VKEY_LEFT;
    }
    bool onKeyUp(VstKeyCode& key) override
    {
        lastKey = key;
        return false;
    }
    bool setKnobMode(VstInt32 mode) override
    {
        knobMode = mode;
        return true;
    }

    ERect rect{0, 0, 400, 600};
    int* destroyedCount;
    int idleCount = 0;
    VstInt32 knobMode = -1;
    VstKeyCode lastKey{};
};
} // namespace

TEST(EditorDispatch, EditorOpcodesReachTheEditorInTheSlot)
{
    int editorsDestroyed = 0;
    auto* probe = new ProbeEffect(nullptr);
    AEffect* e = probe->getAeffect();
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 0); // no editor yet
    EXPECT_EQ(dispatch(e, effEditKeyDown, 'a'), 0);

    auto* editor = new FakeEditor(probe, &editorsDestroyed);
    EXPECT_EQ(probe->getEditor(), editor);
    EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);

    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 1); // before effEditOpen, as JUCE asks
    EXPECT_EQ(rect, &editor->rect);
    const VstIntPtr parentWindow = 0x3a00007;
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, reinterpret_cast<void*>(parentWindow)), 1);
    EXPECT_TRUE(editor->isOpen());
    dispatch(e, effEditIdle);
    EXPECT_EQ(editor->idleCount, 1);

    EXPECT_EQ(dispatch(e, effEditKeyDown, 0, VKEY_LEFT, nullptr, 9.0f), 1);
    EXPECT_EQ(editor->lastKey.character, 0);
    EXPECT_EQ(editor->lastKey.virt, VKEY_LEFT);
    EXPECT_EQ(editor->lastKey.modifier, MODIFIER_SHIFT | MODIFIER_CONTROL);
    EXPECT_EQ(dispatch(e, effEditKeyUp, 'q', 0, nullptr, 1e30f), 0);
    EXPECT_EQ(editor->lastKey.character, 'q');
    EXPECT_EQ(editor->lastKey.modifier, 0);

    EXPECT_EQ(dispatch(e, effSetEditKnobMode, 0, kKnobModeLinear), 1);
    EXPECT_EQ(editor->knobMode, kKnobModeLinear);
    dispatch(e, effEditClose);
    EXPECT_FALSE(editor->isOpen());

    dispatch(e, effClose);
    EXPECT_EQ(editorsDestroyed, 1);
}

// An editor that overrides nothing has no size, opens no window and takes no key or mode.
TEST(EditorDispatch, TheBaseEditorDeclinesEveryRequest)
{
    ProbeEffect probe(nullptr);
    AEffect* e = probe.getAeffect();
    auto* editor = new AEffEditor(&probe);
    EXPECT_EQ(editor->getEffect(), &probe);
    ERect* rect = reinterpret_cast<ERect*>(&probe);
    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, reinterpret_cast<void*>(VstIntPtr{0x3a00007})), 0);
    EXPECT_TRUE(editor->isOpen()) << "the base keeps the parent window for derived editors";
    dispatch(e, effEditIdle);
    EXPECT_EQ(dispatch(e, effEditKeyDown, 'a'), 0);
    EXPECT_EQ(dispatch(e, effEditKeyUp, 'a'), 0);
    EXPECT_EQ(dispatch(e, effSetEditKnobMode, 0, kKnobModeLinear), 0);
    editor->setParameter(0, 0.5f);
    dispatch(e, effEditClose);
    EXPECT_FALSE(editor->isOpen());
}
