#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "parameters/Parameters.h"
#include "parameters/UserUnitText.h"
#include "parameters/UserUnits.h"

// Every editions' display text and text entry, and the renderer's settings, read through these.
TEST(UserUnitText, ShowsTheUnitsAUserReads)
{
    EXPECT_EQ(userValueText(kOutputTrim, 1.0f), "0.0 dB");
    EXPECT_EQ(userValueText(kInputDrive, 1.0f / 7.0f), "-16.0 dB");
    EXPECT_EQ(userValueText(kInputDrive, 1.0f), "20.0 dB");
    EXPECT_EQ(userValueText(kEnvRelease, 0.4f), "80.0 ms");
    EXPECT_EQ(userValueText(kSideGain, 0.5f), "100 %");
    EXPECT_EQ(userValueText(kXCorrThreshold, 0.5f), "0.00");
    EXPECT_EQ(userValueText(kOutputScale, 0.5f), "K14");
    EXPECT_EQ(userValueText(kDithering, 4.0f), "16 bit");
    EXPECT_EQ(userValueText(kBypass, 1.0f), "on");
    EXPECT_EQ(userValueText(kInterSamplePeak, 0.0f), "off");
}

TEST(UserUnitText, ReadsBackWhatItShowsForEveryParameter)
{
    for (int index = 0; index < kNumParams; ++index)
    {
        const float top = kUserUnits[index].topValue;
        for (const float value : {0.0f, top * 0.25f, top * 0.5f, top})
        {
            const std::string text = userValueText(index, value);
            const auto parsed = parameterValueFromText(index, text);
            ASSERT_TRUE(parsed.has_value()) << index << " " << text;
            EXPECT_EQ(userValueText(index, *parsed), text) << index;
        }
    }
}

TEST(UserUnitText, TakesWhatUsersTypeAndRefusesTheRest)
{
    EXPECT_EQ(parameterValueFromText(kDithering, "16bit"), 4.0f);
    EXPECT_EQ(parameterValueFromText(kDithering, " 16 BIT "), 4.0f);
    EXPECT_EQ(parameterValueFromText(kDithering, "4"), 4.0f);
    EXPECT_EQ(parameterValueFromText(kOutputScale, "k14"), 0.5f);
    EXPECT_EQ(parameterValueFromText(kBypass, "On"), 1.0f);
    EXPECT_EQ(parameterValueFromText(kBypass, "0"), 0.0f);
    EXPECT_NEAR(*parameterValueFromText(kOutputTrim, "-36 dB"), 1.0f / 7.0f, 1e-6f);
    EXPECT_NEAR(*parameterValueFromText(kOutputTrim, "+0"), 1.0f, 1e-6f);
    // Beyond the range: held at its end, as a knob would be.
    EXPECT_EQ(parameterValueFromText(kEnvRelease, "1e6 ms"), 1.0f);
    EXPECT_EQ(parameterValueFromText(kEnvRelease, "-5"), 0.0f);

    for (const char* text : {"", "  ", "dB", "nan", "inf", "-inf", "3 ms", "1,5"})
        EXPECT_FALSE(parameterValueFromText(kOutputTrim, text).has_value()) << text;
    for (const char* text : {"17 bit", "7", "-1", "2.5", "K15"})
        EXPECT_FALSE(parameterValueFromText(kDithering, text).has_value()) << text;
    EXPECT_FALSE(parameterValueFromText(kBypass, "maybe").has_value());
}
