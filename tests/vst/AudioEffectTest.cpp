#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "ProbeEffect.h"
#include "tests/support/RecordingHost.h"

using Calls = std::vector<std::string>;

TEST(AudioEffect, RecordIsFilledForTheHostAndReservedFieldsStayTheHosts)
{
    auto* probe = new ProbeEffect(nullptr);
    AEffect* e = probe->getAeffect();
    EXPECT_EQ(e->object, static_cast<void*>(static_cast<AudioEffect*>(probe)));
    EXPECT_EQ(e->numPrograms, 3);
    EXPECT_EQ(e->numParams, 4);
    EXPECT_EQ(e->flags, effFlagsCanReplacing);
    EXPECT_EQ(e->resvd1 | e->resvd2, 0);

    e->resvd1 = 0x1111;
    e->resvd2 = 0x2222;
    for (VstInt32 opcode = effOpen + 1; opcode <= effGetNumMidiOutputChannels; ++opcode)
        if (opcode != effClose)
            dispatch(e, opcode, 0, 1, nullptr, 1.0f);
    probe->canDoubleReplacing(true);
    probe->noTail(true);
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsNoSoundInStop);
    EXPECT_EQ(e->resvd1, 0x1111);
    EXPECT_EQ(e->resvd2, 0x2222);
    dispatch(e, effClose);
}

TEST(AudioEffect, DispatcherAnswersWhatTheBaseLeavesToIt)
{
    ProbeEffect probe(nullptr);
    AEffect* e = probe.getAeffect();
    void* chunk = &probe;
    EXPECT_EQ(dispatch(e, effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(e, effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(e, effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(dispatch(e, effSetChunk, 0, 8, &chunk), 0);
    EXPECT_EQ(dispatch(e, effGetTailSize), 0);
    EXPECT_EQ(dispatch(e, effCanBeAutomated, 3), 1);
    EXPECT_EQ(dispatch(e, effCanBeAutomated, 4), 0);
    EXPECT_EQ(dispatch(e, effCanBeAutomated, -1), 0);
    for (VstInt32 unanswered : std::initializer_list<VstInt32>{
             effProcessEvents, effGetInputProperties, effSetProcessPrecision, effStartProcess,
             effGetParameterProperties, effVendorSpecific, 80, -1})
        EXPECT_EQ(dispatch(e, unanswered, 0, 1, &chunk, 1.0f), 0) << unanswered;

    dispatch(e, effSetBlockSize, 0, 512);
    EXPECT_EQ(probe.getBlockSize(), 512);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    for (float bad : {0.0f, -44100.0f, NAN, INFINITY})
        dispatch(e, effSetSampleRate, 0, 0, nullptr, bad);
    EXPECT_EQ(probe.getSampleRate(), 48000.0f);

    dispatch(e, effSetProgram, 0, 2);
    dispatch(e, effSetProgram, 0, 3);
    dispatch(e, effSetProgram, 0, VstIntPtr{1} << 32); // would wrap to 0 if cast first
    dispatch(e, effSetProgram, 0, -1);
    dispatch(e, effMainsChanged, 0, 1);
    dispatch(e, effMainsChanged, 0, 0);
    EXPECT_EQ(dispatch(e, effSetBypass, 0, 1), 1);
    EXPECT_EQ(probe.calls, (Calls{"setProgram 2", "resume", "suspend", "bypass on"}));
}

// What an effect leaves to the base is answered "no" or "unknown", and its buffers stay the host's.
TEST(AudioEffect, RequestsTheEffectLeavesAloneAreDeclined)
{
    ProbeEffect probe(nullptr);
    AEffect* e = probe.getAeffect();
    char text[64] = "untouched";
    for (VstInt32 opcode :
         {effString2Parameter, effGetProgramNameIndexed, effGetPlugCategory, effGetEffectName,
          effGetVendorString, effGetProductString, effGetVendorVersion, effCanDo})
        EXPECT_EQ(dispatch(e, opcode, 0, 0, text), 0) << opcode;
    dispatch(e, effSetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(e->getParameter(e, 1), 0.0f);
    double left[] = {0.25, -0.5};
    double right[] = {0.75, 1.0};
    double* channels[] = {left, right};
    e->processDoubleReplacing(e, channels, channels, 2);
    EXPECT_EQ(left[1], -0.5);
    EXPECT_EQ(right[0], 0.75);
}

TEST(AudioEffect, NullTextPointersAreAnsweredWithZeroAndReachNothing)
{
    ProbeEffect probe(nullptr);
    AEffect* e = probe.getAeffect();
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel,
                            effGetParamDisplay, effGetParamName, effGetProgramNameIndexed,
                            effGetEffectName, effGetVendorString, effGetProductString, effCanDo,
                            effString2Parameter, effGetChunk, effSetChunk, effEditGetRect})
        EXPECT_EQ(dispatch(e, opcode, 0, 0, nullptr), 0) << opcode;
    EXPECT_TRUE(probe.calls.empty());
}

TEST(AudioEffect, EntriesReachTheObjectAndCloseDeletesIt)
{
    int destroyed = 0;
    auto* probe = new ProbeEffect(nullptr, &destroyed);
    AEffect* e = probe->getAeffect();
    float left[4] = {1, 2, 3, 4};
    float right[4] = {5, 6, 7, 8};
    float* outputs[] = {left, right};
    e->process(e, outputs, outputs, 4);
    EXPECT_EQ(left[3], 4.0f);
    EXPECT_EQ(right[0], 5.0f);
    e->processReplacing(e, outputs, outputs, 4);
    EXPECT_EQ(probe->processedFrames, 4);
    e->setParameter(e, 1, 0.5f);
    EXPECT_EQ(e->getParameter(e, 1), 0.0f);
    EXPECT_EQ(probe->calls, (Calls{"setParameter 1 0.500000"}));

    EXPECT_EQ(dispatch(e, effClose), 1);
    EXPECT_EQ(destroyed, 1);
}

namespace
{
using HostCall = std::tuple<VstInt32, VstInt32, float>; // opcode, index, opt

std::vector<HostCall> recordedCalls()
{
    std::vector<HostCall> calls;
    for (const RecordedHostCall& call : recordedHostCalls())
        calls.emplace_back(call.opcode, call.index, call.opt);
    return calls;
}
} // namespace

TEST(HostCalls, EditsAreReportedToTheHostInOrder)
{
    forgetHostCalls();
    setHostVersionAnswer(2300);
    ProbeEffect probe(recordingHostCallback);
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
    EXPECT_EQ(recordedCalls(), expected);
    setHostVersionAnswer(kVstVersion);
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
