// The processor renders what the VST 2.4 edition renders at the same settings, in any block
// length and in place, at 64 bits within float rounding; host changes land at their frames;
// hostile values leave the sound intact; silent output is flagged.
#include <gtest/gtest.h>

#include <limits>

#include "TestMaterial.h"
#include "parameters/Presets.h"
#include "tests/support/Vst2ReferenceRender.h"
#include "vst3plugin/Vst3Parameters.h"

namespace
{
constexpr int kFrames = 20000;
static_assert(HostedVst3::kSampleRateHz == Vst2ReferenceRender::kSampleRateHz,
              "the editions are compared at one rate");

const Stereo& material()
{
    static const Stereo signal = testMaterial(kFrames);
    return signal;
}

// A tail of the render from frame on.
Stereo from(const Stereo& s, int frame)
{
    return {std::vector<float>(s.left.begin() + frame, s.left.end()),
            std::vector<float>(s.right.begin() + frame, s.right.end())};
}
} // namespace

TEST(Vst3Process, EveryBlockLengthAndInPlaceGiveTheVst2Samples)
{
    Vst2ReferenceRender vst2;
    const Stereo reference = vst2.render(material());
    for (const std::int32_t block : {1, 3, 512, 4096})
    {
        for (const bool inPlace : {false, true})
        {
            SCOPED_TRACE(testing::Message() << "block " << block << " in place " << inPlace);
            HostedVst3 vst3;
            EXPECT_EQ(maxDifference(vst3.render(material(), block, inPlace), reference), 0.0f);
        }
    }
}

TEST(Vst3Process, ProgramsAndSettingsGiveTheVst2Samples)
{
    for (const int program : {1, 3, 4, 7})
    {
        SCOPED_TRACE(kProgramNameTable[program]);
        Vst2ReferenceRender vst2;
        vst2.setProgram(program);
        HostedVst3 vst3;
        vst3.setParameter(vst3_parameters::kProgramId,
                          vst3_parameters::normalizedOfProgram(program));
        EXPECT_EQ(maxDifference(vst3.render(material(), 256), vst2.render(material())), 0.0f);
    }
    // Continuous values pass as they are; menus by entry (16 bit, with dither).
    Vst2ReferenceRender vst2;
    vst2.setParameter(kInputDrive, 0.8f);
    vst2.setParameter(kSoftclipAmount, 0.35f);
    vst2.setParameter(kDithering, 4.0f);
    vst2.setParameter(kInterSamplePeak, 1.0f);
    HostedVst3 vst3;
    ParameterChanges changes;
    changes.add(kInputDrive, 0, 0.8f);
    changes.add(kSoftclipAmount, 0, 0.35f);
    changes.add(kDithering, 0, 4.0 / 6.0);
    changes.add(kInterSamplePeak, 0, 1.0);
    EXPECT_EQ(maxDifference(vst3.render(material(), 300, false, &changes), vst2.render(material())),
              0.0f);
}

TEST(Vst3Process, SixtyFourBitsEqualThirtyTwoWithinFloatRounding)
{
    HostedVst3 narrow;
    const Stereo reference = narrow.render(material(), 1000);
    HostedVst3 wide(vst3::kSample64);
    std::vector<double> left(material().left.begin(), material().left.end());
    std::vector<double> right(material().right.begin(), material().right.end());
    for (int done = 0; done < kFrames; done += 1000)
    {
        double* channels[2] = {left.data() + done, right.data() + done};
        wide.process(channels, channels, std::min(1000, kFrames - done));
    }
    Stereo widened{std::vector<float>(left.begin(), left.end()),
                   std::vector<float>(right.begin(), right.end())};
    EXPECT_LE(maxDifference(widened, reference), 1e-6f);
}

TEST(Vst3Process, ChangesInsideABlockLandAtTheirFrames)
{
    // Trim to -12 dB at frame 700 and the word length to 16 bit at 1500, inside one block of
    // 2048, equal the same changes made between blocks split at those frames.
    constexpr std::int32_t kTrimFrame = 700;
    constexpr std::int32_t kDitherFrame = 1500;
    const double trim = 0.5;
    const double dither = 4.0 / 6.0;
    const Stereo input = testMaterial(2048);

    HostedVst3 oneBlock;
    ParameterChanges changes;
    changes.add(kOutputTrim, kTrimFrame, trim);
    changes.add(kDithering, kDitherFrame, dither);
    const Stereo inside = oneBlock.render(input, 2048, false, &changes);

    HostedVst3 split;
    Stereo between{std::vector<float>(2048), std::vector<float>(2048)};
    const std::int32_t edges[] = {0, kTrimFrame, kDitherFrame, 2048};
    for (int part = 0; part < 3; ++part)
    {
        if (part == 1)
            split.setParameter(kOutputTrim, trim);
        if (part == 2)
            split.setParameter(kDithering, dither);
        float* in[2] = {const_cast<float*>(input.left.data()) + edges[part],
                        const_cast<float*>(input.right.data()) + edges[part]};
        float* out[2] = {between.left.data() + edges[part], between.right.data() + edges[part]};
        split.process(in, out, edges[part + 1] - edges[part]);
    }
    EXPECT_EQ(maxDifference(inside, between), 0.0f);
    // And the change did something from its frame on, nothing before it.
    HostedVst3 unchanged;
    const Stereo plain = unchanged.render(input, 2048);
    EXPECT_EQ(maxDifference(from(inside, 0), from(plain, 0)) > 0.0f, true);
    Stereo head{std::vector<float>(inside.left.begin(), inside.left.begin() + kTrimFrame),
                std::vector<float>(inside.right.begin(), inside.right.begin() + kTrimFrame)};
    Stereo plainHead{std::vector<float>(plain.left.begin(), plain.left.begin() + kTrimFrame),
                     std::vector<float>(plain.right.begin(), plain.right.begin() + kTrimFrame)};
    EXPECT_EQ(maxDifference(head, plainHead), 0.0f);
    EXPECT_GT(std::fabs(plain.left[kTrimFrame + 10] - inside.left[kTrimFrame + 10]), 0.0f);
}

TEST(Vst3Process, HostileValuesLeaveTheSoundIntact)
{
    HostedVst3 calm;
    const Stereo reference = calm.render(material(), 512);
    HostedVst3 host;
    ParameterChanges changes;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (int i = 0; i < kNumParams; ++i)
        changes.add(static_cast<vst3::ParamID>(i), 0, nan);
    changes.add(kOutputTrim, 1, inf);
    changes.add(kInputDrive, 2, -inf);
    changes.add(kSideGain, -5, 7.0);
    changes.add(kDithering, 1 << 30, -3.0);
    changes.add(9999, 3, 0.5);
    const Stereo rendered = host.render(material(), 512, false, &changes);
    EXPECT_TRUE(withinFullScale(rendered));
    // NaN changed nothing: the rest equals the calm render until the first real change.
    EXPECT_EQ(rendered.left[0], reference.left[0]);

    // Garbage in the audio itself.
    Stereo wild = material();
    wild.left[100] = std::numeric_limits<float>::quiet_NaN();
    wild.right[200] = inf;
    wild.left[300] = -inf;
    wild.right[400] = 1e30f;
    HostedVst3 sound;
    EXPECT_TRUE(withinFullScale(sound.render(wild, 512)));
}

TEST(Vst3Process, EmptyBlocksFlushChangesAndSilenceIsFlagged)
{
    HostedVst3 host;
    host.setParameter(kOutputTrim, 0.25);
    EXPECT_FLOAT_EQ(static_cast<float>(host.controller->getParamNormalized(kOutputTrim)), 1.0f)
        << "the controller hears only from the host";
    std::vector<std::uint8_t> state = host.state();
    HostedVst3 other;
    MemoryStream stream(state);
    ASSERT_EQ(other.controller->setComponentState(&stream), vst3::kResultOk);
    EXPECT_FLOAT_EQ(static_cast<float>(other.controller->getParamNormalized(kOutputTrim)), 0.25f);

    std::vector<float> zeros(256, 0.0f);
    std::vector<float> left(256), right(256);
    float* in[2] = {zeros.data(), zeros.data()};
    float* out[2] = {left.data(), right.data()};
    EXPECT_EQ(host.process(in, out, 256), 3u);
    std::vector<float> loud(256, 0.5f);
    float* sound[2] = {loud.data(), loud.data()};
    host.process(sound, out, 256);
    EXPECT_EQ(host.process(sound, out, 256), 0u) << "the delayed sound is no silence";
}

TEST(Vst3Process, ReactivatedRendersAsNew)
{
    HostedVst3 fresh;
    fresh.setParameter(vst3_parameters::kProgramId, vst3_parameters::normalizedOfProgram(7));
    const Stereo reference = fresh.render(material(), 512);

    HostedVst3 used;
    used.setParameter(vst3_parameters::kProgramId, vst3_parameters::normalizedOfProgram(7));
    used.render(testMaterial(30000), 512);
    used.component->setActive(0);
    used.component->setActive(1);
    EXPECT_EQ(maxDifference(used.render(material(), 512), reference), 0.0f);
}

TEST(Vst3Process, ActivatedAtAProgramRendersAsTheVst2EditionAtIt)
{
    Vst2ReferenceRender vst2;
    vst2.setProgram(7);
    vst2.setParameter(kOutputTrim, 0.9f);
    HostedVst3 vst3;
    ParameterChanges changes;
    changes.add(vst3_parameters::kProgramId, 0, vst3_parameters::normalizedOfProgram(7));
    changes.add(kOutputTrim, 0, 0.9f);
    float* none[2] = {nullptr, nullptr};
    vst3.process(none, none, 0, &changes);
    vst3.component->setActive(0);
    vst3.component->setActive(1);
    EXPECT_EQ(maxDifference(vst3.render(material(), 512), vst2.render(material())), 0.0f);
}
