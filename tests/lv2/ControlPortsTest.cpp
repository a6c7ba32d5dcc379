// The port value conversions: every parameter value survives the trip through its port value
// to within a float step, the ranges are where the parameter runs 0..top, and values beyond
// them are held at the ends.
#include <gtest/gtest.h>

#include <cmath>

#include "lv2/ControlPorts.h"

TEST(ControlPorts, ParameterValuesSurviveTheirPortValues)
{
    constexpr int kSteps = 1000;
    for (int index = 0; index < kNumParams; ++index)
    {
        SCOPED_TRACE(controlPorts[index].symbol);
        const float top = controlPorts[index].topValue;
        for (int step = 0; step <= kSteps; ++step)
        {
            const float value = top * static_cast<float>(step) / kSteps;
            const auto portValue = static_cast<float>(portValueOf(index, value));
            const float back = parameterValueOf(index, portValue);
            ASSERT_LE(std::fabs(back - value), std::nextafter(top, 2.0f * top) - top) << value;
        }
    }
}

TEST(ControlPorts, RangesAndTheirEnds)
{
    struct Expected
    {
        int index;
        double minimum;
        double maximum;
        double portOfHalf; // the port value of the parameter value 0.5
    };
    const Expected table[] = {
        {kOutputTrim, -72.0, 0.0, -36.0 + (0.5 - 1.0 / 7.0) * 42.0},
        {kOutputScale, 0.0, 3.0, 2.0},
        {kBypass, 0.0, 1.0, 0.5},
        {kInputDrive, -52.0, 20.0, -16.0 + (0.5 - 1.0 / 7.0) * 42.0},
        {kSideGain, 0.0, 200.0, 100.0},
        {kXCorrTime, 0.0, 500.0, 250.0},
        {kXCorrThreshold, -1.0, 1.0, 0.0},
        {kSoftclipThresh, -20.0, 20.0, 0.0},
        {kStereoLink, 0.0, 100.0, 50.0},
        {kDithering, 0.0, 6.0, 0.5},
    };
    for (const Expected& e : table)
    {
        SCOPED_TRACE(controlPorts[e.index].symbol);
        EXPECT_NEAR(portMinimum(e.index), e.minimum, 1e-9);
        EXPECT_NEAR(portMaximum(e.index), e.maximum, 1e-9);
        EXPECT_NEAR(portValueOf(e.index, 0.5f), e.portOfHalf, 1e-9);
        const auto below = static_cast<float>(e.minimum - 1e6);
        const auto above = static_cast<float>(e.maximum + 1e6);
        EXPECT_EQ(parameterValueOf(e.index, below), 0.0f);
        EXPECT_EQ(parameterValueOf(e.index, above), controlPorts[e.index].topValue);
    }
}
