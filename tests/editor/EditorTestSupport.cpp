#include "EditorTestSupport.h"

#include "tests/support/ScratchSettings.h"

#include <gtest/gtest.h>

std::vector<EditCall> recordedEdits()
{
    std::vector<EditCall> edits;
    for (const RecordedHostCall& call : recordedHostCalls())
    {
        if (call.opcode == audioMasterAutomate || call.opcode == audioMasterBeginEdit ||
            call.opcode == audioMasterEndEdit)
            edits.push_back({call.opcode, call.index, call.opt});
        else if (call.opcode == audioMasterSizeWindow)
            edits.push_back({call.opcode, call.index, static_cast<float>(call.value)});
    }
    return edits;
}

void expectHostCalls(const std::vector<EditCall>& expected)
{
    const std::vector<EditCall> calls = recordedEdits();
    forgetHostCalls();
    ASSERT_EQ(calls.size(), expected.size());
    for (size_t call = 0; call < calls.size(); ++call)
    {
        EXPECT_EQ(calls[call].opcode, expected[call].opcode) << "call " << call;
        EXPECT_EQ(calls[call].index, expected[call].index) << "call " << call;
        EXPECT_NEAR(calls[call].value, expected[call].value, 1e-6f) << "call " << call;
    }
}

std::vector<EditCall> bracketedEdits(std::vector<std::pair<VstInt32, float>> edits)
{
    std::vector<EditCall> calls;
    for (const auto& [index, value] : edits)
    {
        calls.insert(calls.end(), {{audioMasterBeginEdit, index, 0},
                                   {audioMasterAutomate, index, value},
                                   {audioMasterEndEdit, index, 0}});
    }
    return calls;
}

EditorFixture::EditorFixture(double scale)
    : effectObject(
          // Forgets every remembered choice: the size and the loudness panel.
          (useEmptySettingsFolder(), std::make_unique<LimiterEffectEdit>(recordingHostCallback)))
{
    forgetHostCalls();
    setHostAcceptsSizeWindow(false);
    editor().setHostScaleFactor(scale);
    effectObject->resume();
}

void EditorFixture::process(std::vector<float> left, std::vector<float> right)
{
    float* channels[] = {left.data(), right.data()};
    effectObject->processReplacing(channels, channels, static_cast<VstInt32>(left.size()));
}

std::unique_ptr<COffscreenContext> bitmapImage(long id)
{
    CBitmap* bitmap = new CBitmap(id);
    auto image = std::make_unique<COffscreenContext>(bitmap->getWidth(), bitmap->getHeight());
    bitmap->draw(image.get(), CRect(0, 0, bitmap->getWidth(), bitmap->getHeight()));
    bitmap->forget();
    return image;
}

CColor knobCentre(long bitmapId, long size, float value)
{
    const long frame = static_cast<long>(value * 64.0f); // 65 frames: floor(value x 64)
    return bitmapImage(bitmapId)->getPixel(size / 2, frame * size + size / 2);
}

std::string testOutputPath(const char* name)
{
    return std::string(EDITOR_TEST_OUTPUT_DIR) + "/" + name;
}
