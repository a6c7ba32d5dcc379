#include <gtest/gtest.h>

#include "ProbeEffect.h"

namespace
{
struct HostCall
{
    VstInt32 opcode;
    VstInt32 index;
    float opt;
    bool operator==(const HostCall& other) const
    {
        return opcode == other.opcode && index == other.index && opt == other.opt;
    }
};
std::vector<HostCall> hostCalls;

extern "C" VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                   float opt)
{
    hostCalls.push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2300 : 1;
}
} // namespace

TEST(HostCalls, EditsAreReportedToTheHostInOrder)
{
    hostCalls.clear();
    ProbeEffect probe(recordingHost);
    EXPECT_EQ(probe.getMasterVersion(), 2300);
    EXPECT_TRUE(probe.beginEdit(2));
    probe.setParameterAutomated(2, 0.25f);
    EXPECT_TRUE(probe.endEdit(2));
    probe.masterIdle();
    const std::vector<HostCall> expected{{audioMasterVersion, 0, 0.0f},
                                         {audioMasterBeginEdit, 2, 0.0f},
                                         {audioMasterAutomate, 2, 0.25f},
                                         {audioMasterEndEdit, 2, 0.0f},
                                         {audioMasterIdle, 0, 0.0f}};
    EXPECT_EQ(hostCalls, expected);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"setParameter 2 0.250000"}));
}

TEST(HostCalls, WithoutAHostCallbackEveryCallAnswersZero)
{
    ProbeEffect probe(nullptr);
    EXPECT_EQ(probe.getMasterVersion(), 0);
    EXPECT_FALSE(probe.beginEdit(0));
    EXPECT_FALSE(probe.endEdit(0));
    probe.masterIdle();
    probe.setParameterAutomated(1, 1.0f);
    EXPECT_EQ(probe.calls.size(), 1u);
}
