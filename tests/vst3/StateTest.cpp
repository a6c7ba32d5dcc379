// State holds every parameter and the program and comes back exactly; anything that is not a
// state of ours is refused and changes nothing; a program chosen at the controller tells the
// host only after the call that chose it.
#include <gtest/gtest.h>

#include "TestMaterial.h"
#include "parameters/Presets.h"
#include "tests/support/Vst2ReferenceRender.h"
#include "vst3plugin/Vst3Parameters.h"

namespace
{
void setEveryParameter(HostedVst3& host)
{
    ParameterChanges changes;
    changes.add(vst3_parameters::kProgramId, 0, vst3_parameters::normalizedOfProgram(5));
    for (int i = 0; i < kNumParams; ++i)
        changes.add(static_cast<vst3::ParamID>(i), 0, i == kBypass ? 0.0 : 0.05 * (i + 2));
    float* none[2] = {nullptr, nullptr};
    host.process(none, none, 0, &changes);
}
} // namespace

TEST(Vst3State, RoundTripKeepsEveryParameterAndTheProgram)
{
    HostedVst3 saved;
    setEveryParameter(saved);
    const std::vector<std::uint8_t> bytes = saved.state();

    HostedVst3 reopened;
    MemoryStream stream(bytes);
    ASSERT_EQ(reopened.component->setState(&stream), vst3::kResultOk);
    stream.rewind();
    ASSERT_EQ(reopened.controller->setComponentState(&stream), vst3::kResultOk);
    EXPECT_EQ(reopened.state(), bytes);
    for (int i = 0; i < kNumParams; ++i)
    {
        const vst3::ParamID id = static_cast<vst3::ParamID>(i);
        EXPECT_EQ(reopened.controller->getParamNormalized(id),
                  vst3_parameters::normalizedOf(
                      i, vst3_parameters::parameterValueOf(i, i == kBypass ? 0.0 : 0.05 * (i + 2))))
            << i;
    }
    EXPECT_EQ(reopened.controller->getParamNormalized(vst3_parameters::kProgramId),
              vst3_parameters::normalizedOfProgram(5));
    const Stereo input = testMaterial(6000);
    EXPECT_EQ(maxDifference(reopened.render(input, 512), saved.render(input, 512)), 0.0f);
}

TEST(Vst3State, GarbageIsRefusedWithoutHarm)
{
    HostedVst3 host;
    setEveryParameter(host);
    const std::vector<std::uint8_t> good = host.state();
    ASSERT_EQ(good.size(), 80u);

    std::vector<std::vector<std::uint8_t>> garbage = {
        {},
        {'V', 'H', 'P', '3'},
        std::vector<std::uint8_t>(good.begin(), good.end() - 1),
        std::vector<std::uint8_t>(80, 0xFF),
        std::vector<std::uint8_t>(4096, 0x41)};
    auto wrongVersion = good;
    wrongVersion[4] = 2;
    garbage.push_back(wrongVersion);
    auto nanValue = good;
    nanValue[8] = 0x00;
    nanValue[9] = 0x00;
    nanValue[10] = 0xC0;
    nanValue[11] = 0x7F; // output trim NaN
    garbage.push_back(nanValue);
    auto beyondMenu = good;
    const float eight = 8.0f; // no eighth word length
    std::memcpy(&beyondMenu[8 + 4 * kDithering], &eight, 4);
    garbage.push_back(beyondMenu);
    auto badProgram = good;
    badProgram[76] = kNumPrograms;
    garbage.push_back(badProgram);

    for (std::size_t g = 0; g < garbage.size(); ++g)
    {
        SCOPED_TRACE(g);
        MemoryStream component(garbage[g]);
        EXPECT_NE(host.component->setState(&component), vst3::kResultOk);
        MemoryStream controller(garbage[g]);
        EXPECT_NE(host.controller->setComponentState(&controller), vst3::kResultOk);
        EXPECT_EQ(host.state(), good);
    }
    EXPECT_EQ(host.component->setState(nullptr), vst3::kInvalidArgument);

    // A state followed by the host's own data (as hosts pass their project chunk) is ours.
    auto followed = good;
    followed.insert(followed.end(), {'C', 'o', 'n', 't'});
    MemoryStream stream(followed);
    EXPECT_EQ(host.component->setState(&stream), vst3::kResultOk);
}

TEST(Vst3State, ProgramChosenAtTheControllerRestartsTheHostAfterTheCall)
{
    HostedVst3 host;
    host.handler.insideSetParam = true;
    ASSERT_EQ(host.controller->setParamNormalized(vst3_parameters::kProgramId,
                                                  vst3_parameters::normalizedOfProgram(1)),
              vst3::kResultOk);
    host.handler.insideSetParam = false;
    EXPECT_FALSE(host.handler.restartInsideSetParam);
    EXPECT_TRUE(host.handler.calls.empty());
    // The values are the program's at once; the host hears at its next call.
    EXPECT_FLOAT_EQ(static_cast<float>(host.controller->getParamNormalized(kInputDrive)), 0.66f);
    ASSERT_EQ(host.handler.calls.size(), 1u);
    EXPECT_EQ(host.handler.calls[0], "restart " + std::to_string(vst3::kParamValuesChanged));
}
