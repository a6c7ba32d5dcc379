#include "host/DemoSynth.h"
#include "host/LoudnessMeter.h"

#include <gtest/gtest.h>

TEST(DemoSynth, IsTheSameModestStereoMixEveryTime)
{
    const std::vector<float> demo = synthesiseDemo(demoSampleRateHz);
    EXPECT_EQ(demo, synthesiseDemo(demoSampleRateHz));
    const std::size_t frames = demo.size() / 2;
    EXPECT_EQ(frames, 24u * demoSampleRateHz);

    LoudnessMeter meter(demoSampleRateHz, 1.0f);
    meter.add(demo.data(), frames);
    const LoudnessFigures figures = meter.figures();
    EXPECT_NEAR(figures.samplePeakDbfs, -1.0, 0.01);
    EXPECT_GT(figures.integratedLufs, -19.0);
    EXPECT_LT(figures.integratedLufs, -15.0);

    std::size_t differingFrames = 0;
    for (std::size_t frame = 0; frame < frames; ++frame)
        differingFrames += demo[2 * frame] != demo[2 * frame + 1];
    EXPECT_GT(differingFrames, frames / 2) << "the chords are wide";
}
