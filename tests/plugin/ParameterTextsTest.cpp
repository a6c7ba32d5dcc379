#include <gtest/gtest.h>

#include <cfloat>

#include "tests/support/HostedEffect.h"

TEST(ParameterTexts, ProgramZeroShowsTheFactoryDisplays)
{
    HostedEffect e;
    const char* const displays[17] = {
        "0.000",  "0.000", "0.000", "-14.560", "100.000", "500.000", "-1.000", "100.000", "80.000",
        "50.000", "0.000", "0.000", "100.000", "100.000", "8.000",   "0.000",  "0.000"};
    ASSERT_EQ(e.parameterCount(), 17);
    for (VstInt32 index = 0; index < e.parameterCount(); ++index)
        EXPECT_EQ(e.display(index), displays[index]) << index;
    EXPECT_EQ(e.text(effGetParamName, 12), "RMS attack     ");
    EXPECT_EQ(e.text(effGetParamName, 6), "XCorr threshold");
    EXPECT_EQ(e.text(effGetParamLabel, 6), "--");
    EXPECT_EQ(e.text(effGetParamLabel, 4), "% ");
    EXPECT_EQ(e.text(effGetParamLabel, 16), "Bt");
}

// The host's values are held within their range, and the display follows what is stored.
TEST(ParameterTexts, DisplaysFollowTheStoredValueHeldWithinItsRange)
{
    HostedEffect e;
    const struct
    {
        VstInt32 index;
        float value;
        float stored;
        const char* display;
    } cases[] = {
        {0, 1.5f, 1.0f, "0.000"},       {0, 0.0f, 0.0f, "-72.000"},    {2, 0.4f, 0.4f, "0.400"},
        {1, 0.75f, 0.75f, "3.000"},     {16, 6.0f, 6.0f, "42.000"},    {16, 1.0f, 1.0f, "7.000"},
        {5, -0.1f, 0.0f, "0.000"},      {3, 1.0f, 1.0f, "20.000"},     {5, 2.5f, 1.0f, "500.000"},
        {0, FLT_MAX, 1.0f, "0.000"},    {16, -FLT_MAX, 0.0f, "0.000"}, {16, 9.0f, 6.0f, "42.000"},
    };
    for (const auto& c : cases)
    {
        e.setParameter(c.index, c.value);
        EXPECT_EQ(e.getParameter(c.index), c.stored);
        EXPECT_EQ(e.display(c.index), c.display) << c.index << " at " << c.value;
    }
}
