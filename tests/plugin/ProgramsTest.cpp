#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/HostedEffect.h"

namespace
{
constexpr char kDefaultName[] = "Default                ";
} // namespace

TEST(Programs, FactoryNamesAndSelection)
{
    HostedEffect e;
    const char* const factoryNames[8] = {"Default                ", "+6dB (limiter only)    ",
                                         "+6dB (limiter+softclip)", "+6dB (softclip only)   ",
                                         "Widener                ", "Add warmth1            ",
                                         "Add warmth2            ", "Mix first aid          "};
    EXPECT_EQ(e.dispatch(effGetProgram), 0);
    for (VstInt32 index = 0; index < e.programCount(); ++index)
    {
        char name[kVstMaxProgNameLen];
        EXPECT_EQ(e.dispatch(effGetProgramNameIndexed, index, -1, name), 1);
        EXPECT_STREQ(name, index < 8 ? factoryNames[index] : kDefaultName);
    }
    EXPECT_EQ(e.dispatch(effGetProgramNameIndexed, e.programCount(), -1, nullptr), 0);

    forgetHostCalls();
    e.dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(e.dispatch(effGetProgram), 1);
    EXPECT_EQ(e.text(effGetProgramName), factoryNames[1]);
    EXPECT_EQ(e.getParameter(3), 0.66f);
    EXPECT_EQ(e.getParameter(14), 0.4f);
    e.dispatch(effSetProgram, 0, 7);
    EXPECT_EQ(e.getParameter(1), 0.25f);
    EXPECT_TRUE(recordedHostCalls().empty()); // the host reads the new values itself
}

TEST(Programs, EditsAndNamesBelongToTheirProgram)
{
    HostedEffect e;
    e.dispatch(effSetProgram, 0, 2);
    e.setParameter(11, 0.3f);
    e.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(e.getParameter(11), 0.2f);
    e.dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(e.getParameter(11), 0.3f);

    e.dispatch(effSetProgram, 0, 9);
    char exact[] = "Twenty-three characters";
    e.dispatch(effSetProgramName, 0, 0, exact);
    EXPECT_EQ(e.text(effGetProgramName), exact);
    EXPECT_EQ(e.text(effGetProgramNameIndexed, 9), exact);
    EXPECT_EQ(e.text(effGetProgramNameIndexed, 8), kDefaultName);
    EXPECT_EQ(e.text(effGetProgramNameIndexed, 10), kDefaultName);

    char tooLong[] = "A name far longer than the twenty-four byte field";
    e.dispatch(effSetProgramName, 0, 0, tooLong);
    EXPECT_EQ(e.text(effGetProgramName), "A name far longer than ");
}

TEST(Programs, EveryProgramChangeIsFollowedBy512SilentFrames)
{
    HostedEffect e;
    e.dispatch(effMainsChanged, 0, 1);
    auto silent = [](const std::vector<float>& samples)
    { return std::all_of(samples.begin(), samples.end(), [](float s) { return s == 0.0f; }); };
    EXPECT_FALSE(silent(e.process(0.5f, 1024))); // signal flowing
    for (VstInt32 program : {1, 1, 0})
    {
        e.dispatch(effSetProgram, 0, program);
        EXPECT_TRUE(silent(e.process(0.5f, 512))) << program;
        EXPECT_NE(e.process(0.5f, 1)[0], 0.0f) << program;
    }
}
