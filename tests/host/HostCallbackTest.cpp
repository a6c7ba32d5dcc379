#include "host/plugins/HostCallback.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
VstIntPtr ask(AEffect* effect, VstInt32 opcode, void* ptr = nullptr)
{
    return hostCallback(effect, opcode, 0, 0, ptr, 0.0f);
}
} // namespace

TEST(HostCallback, AnswersWhatRealHostsAnswer)
{
    HostContext context;
    context.sampleRateHz = 96000.0;
    context.maxBlockFrames = 333;
    context.setPosition(96000.0 * 3.0, false); // 3 s in: bar 2 at 120 BPM in 4/4
    AEffect effect{};
    attachHostContext(effect, context);

    EXPECT_EQ(ask(&effect, audioMasterVersion), 2400);
    EXPECT_EQ(ask(nullptr, audioMasterVersion), 2400); // asked from inside the entry point
    EXPECT_EQ(ask(&effect, audioMasterGetSampleRate), 96000);
    EXPECT_EQ(ask(&effect, audioMasterGetBlockSize), 333);

    const auto* time = reinterpret_cast<const VstTimeInfo*>(ask(&effect, audioMasterGetTime));
    ASSERT_EQ(time, &context.timeInfo);
    EXPECT_EQ(time->samplePos, 288000.0);
    EXPECT_EQ(time->sampleRate, 96000.0);
    EXPECT_EQ(time->ppqPos, 6.0);
    EXPECT_EQ(time->barStartPos, 4.0);
    EXPECT_EQ(time->tempo, 120.0);
    EXPECT_EQ(time->timeSigNumerator, 4);
    EXPECT_EQ(time->timeSigDenominator, 4);
    EXPECT_EQ(time->flags, kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                               kVstTimeSigValid);

    char feature[] = "sendVstTimeInfo";
    char unknown[] = "sizeWindow";
    EXPECT_EQ(ask(&effect, audioMasterCanDo, feature), 1);
    EXPECT_EQ(ask(&effect, audioMasterCanDo, unknown), 0);

    char vendor[kVstMaxVendorStrLen] = {};
    char product[kVstMaxProductStrLen] = {};
    EXPECT_EQ(ask(&effect, audioMasterGetVendorString, vendor), 1);
    EXPECT_EQ(ask(&effect, audioMasterGetProductString, product), 1);
    EXPECT_EQ(std::string(vendor), "Varnholt");
    EXPECT_EQ(std::string(product), "varnholt-render");

    EXPECT_EQ(ask(&effect, audioMasterBeginEdit), 1);
    EXPECT_EQ(ask(&effect, audioMasterEndEdit), 1);
    EXPECT_EQ(ask(&effect, audioMasterAutomate), 0);
    EXPECT_EQ(ask(&effect, audioMasterGetDirectory), 0);

    EXPECT_EQ(ask(&effect, audioMasterIOChanged), 1);
}

TEST(HostCallback, BindsCallsDuringInstantiationToTheLoadingContext)
{
    HostContext context;
    context.sampleRateHz = 22050.0;
    {
        InstantiationScope scope(context);
        EXPECT_EQ(ask(nullptr, audioMasterGetSampleRate), 22050);
    }
    EXPECT_EQ(ask(nullptr, audioMasterGetSampleRate), 0);
    EXPECT_EQ(ask(nullptr, audioMasterGetTime), 0);
}
