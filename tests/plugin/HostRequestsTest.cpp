// Hostile dispatcher calls in bulk are tests/hardening's; these are the exact answers.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "parameters/Parameters.h"
#include "tests/support/HostedEffect.h"

TEST(HostRequests, IdentityAnswers)
{
    HostedEffect e;
    EXPECT_EQ(e.text(effGetEffectName), "Varnholt Pro");
    EXPECT_EQ(e.dispatch(effGetEffectName, 0, 0, nullptr), 0);
    EXPECT_EQ(e.text(effGetProductString), "Varnholt Pro");
    EXPECT_EQ(e.text(effGetVendorString).size(), 2u);
    char name[kVstMaxEffectNameLen];
    EXPECT_EQ(e.dispatch(effGetProductString, 0, 0, name), 1);
    EXPECT_EQ(e.dispatch(effGetVendorVersion), 103);
    EXPECT_EQ(e.dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(e.dispatch(effGetVstVersion), 2400);
    void* chunk = nullptr;
    EXPECT_EQ(e.dispatch(effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(e.dispatch(effCanBeAutomated, 0), 1);
}

TEST(HostRequests, CanDoTableIsExactAndCaseSensitive)
{
    HostedEffect e;
    auto canDo = [&](const char* feature)
    { return e.dispatch(effCanDo, 0, 0, const_cast<char*>(feature)); };
    for (const char* yes : {"plugAsChannelInsert", "plugAsSend", "mixDryWet", "1in1out", "1in2out",
                            "2in1out", "2in2out", "bypass"})
        EXPECT_EQ(canDo(yes), 1) << yes;
    for (const char* no : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                           "receiveVstMidiEvent", "receiveVstTimeInfo", "offline",
                           "midiProgramNames", "Bypass", "bypass ", "", "sizeWindow"})
        EXPECT_EQ(canDo(no), -1) << no;
    EXPECT_EQ(e.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST(HostRequests, OutOfRangeIndicesChangeNothingAndAnswerZero)
{
    HostedEffect e;
    for (VstInt32 index : {e.parameterCount(), -1, 1 << 30})
    {
        e.setParameter(index, 0.3f);
        EXPECT_EQ(e.getParameter(index), 0.0f);
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
            EXPECT_EQ(e.text(opcode, index), "untouched");
        EXPECT_EQ(e.dispatch(effCanBeAutomated, index), 0);
    }
    for (VstInt32 program : {e.programCount(), -1, 1 << 30})
    {
        EXPECT_EQ(e.text(effGetProgramNameIndexed, program), "untouched");
        e.dispatch(effSetProgram, 0, program);
        EXPECT_EQ(e.dispatch(effGetProgram), 0);
    }
    for (VstInt32 index = 0; index < e.parameterCount(); ++index)
        for (float value : {NAN, INFINITY})
            e.setParameter(index, value);
    EXPECT_EQ(e.getParameter(3), 0.52f);
    EXPECT_EQ(e.display(0), "0.000");
}

// Hosts save what getParameter answers: a value beyond the range is held at its end, so a
// project never stores one.
TEST(HostRequests, StoredValuesStayWithinTheirRange)
{
    HostedEffect e;
    const std::pair<float, float> heldValues[] = {{-1.0f, 0.0f}, {2.0f, 1.0f}, {1e30f, 1.0f},
                                                  {-1e30f, 0.0f}, {0.25f, 0.25f}};
    for (const auto& [sent, stored] : heldValues)
    {
        e.setParameter(kSideGain, sent);
        EXPECT_EQ(e.getParameter(kSideGain), stored) << sent;
    }
    // The word-length menu position runs to its last entry, "8 bit".
    e.setParameter(kDithering, 9.0f);
    EXPECT_EQ(e.getParameter(kDithering), 6.0f);
    e.setParameter(kDithering, -3.0f);
    EXPECT_EQ(e.getParameter(kDithering), 0.0f);
}
