// The module as a host's scanner sees it: entry points, ids laid out as the published values
// say, the factory's classes, and the controller's parameters, texts and program list.
#include <gtest/gtest.h>

#include "VarnholtVersion.h"
#include "Vst3TestHost.h"
#include "parameters/Presets.h"
#include "vst3/Vst3View.h"
#include "vst3plugin/Vst3Parameters.h"
#include "vst3plugin/Vst3Text.h"

namespace
{
std::string text(const vst3::char16* field)
{
    return vst3_text::fromUtf16(field, 128);
}

std::string shown(vst3::IEditController& controller, vst3::ParamID id, double normalized)
{
    vst3::String128 string{};
    EXPECT_EQ(controller.getParamStringByValue(id, normalized, string), vst3::kResultOk);
    return text(string);
}
} // namespace

TEST(Vst3Module, IdsAreLaidOutAsPublishedOffWindows)
{
    // The published words, most significant byte first: FUnknown ends C0 .. 46, IComponent
    // starts E8 31 FF 31 F2 D5 43 01.
    const vst3::Tuid unknown = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    EXPECT_EQ(vst3::kFUnknownIid, unknown);
    const vst3::Tuid component = {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01,
                                  0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
    EXPECT_EQ(vst3::kIComponentIid, component);
}

TEST(Vst3Module, FactoryNamesOneEffectAndItsController)
{
    Vst3Module& module = Vst3Module::get();
    EXPECT_NE(module.symbol("ModuleExit"), nullptr);
    vst3::IPluginFactory3& factory = module.factory();
    vst3::PFactoryInfo info{};
    ASSERT_EQ(factory.getFactoryInfo(&info), vst3::kResultOk);
    EXPECT_STREQ(info.vendor, "VH");
    ASSERT_EQ(factory.countClasses(), 2);

    vst3::PClassInfo2 processor{};
    ASSERT_EQ(factory.getClassInfo2(0, &processor), vst3::kResultOk);
    EXPECT_EQ(std::memcmp(processor.cid, vst3_identity::kProcessorCid.data(), 16), 0);
    EXPECT_STREQ(processor.category, "Audio Module Class");
    EXPECT_STREQ(processor.subCategories, "Fx|Dynamics");
    EXPECT_STREQ(processor.name, "Varnholt Pro");
    EXPECT_STREQ(processor.version, kVersionText);
    vst3::PClassInfoW wide{};
    ASSERT_EQ(factory.getClassInfoUnicode(1, &wide), vst3::kResultOk);
    EXPECT_EQ(std::memcmp(wide.cid, vst3_identity::kControllerCid.data(), 16), 0);
    EXPECT_STREQ(wide.category, "Component Controller Class");
    EXPECT_EQ(vst3_text::fromUtf16(wide.vendor, 64), "VH");
    EXPECT_NE(factory.getClassInfo(2, reinterpret_cast<vst3::PClassInfo*>(&processor)),
              vst3::kResultOk);

    void* object = nullptr;
    const vst3::Tuid unknownClass{};
    EXPECT_EQ(factory.createInstance(unknownClass.data(), vst3::kIComponentIid.data(), &object),
              vst3::kNoInterface);
    EXPECT_EQ(object, nullptr);
}

TEST(Vst3Module, SeventeenParametersAProgramSelectorAndLatency)
{
    HostedVst3 host;
    EXPECT_EQ(host.processor->getLatencySamples(), 512u);
    ASSERT_EQ(host.controller->getParameterCount(), 18);
    int bypassFlags = 0;
    for (int i = 0; i < kNumParams; ++i)
    {
        vst3::ParameterInfo info{};
        ASSERT_EQ(host.controller->getParameterInfo(i, info), vst3::kResultOk);
        EXPECT_EQ(info.id, static_cast<vst3::ParamID>(i));
        EXPECT_TRUE(info.flags & vst3::kCanAutomate);
        EXPECT_EQ(host.controller->getParamNormalized(info.id), info.defaultNormalizedValue);
        if (info.flags & vst3::kIsBypass)
            ++bypassFlags;
    }
    EXPECT_EQ(bypassFlags, 1);

    vst3::ParameterInfo trim{};
    host.controller->getParameterInfo(kOutputTrim, trim);
    EXPECT_EQ(text(trim.title), "Output trim");
    EXPECT_EQ(text(trim.units), "dB");
    EXPECT_EQ(trim.stepCount, 0);
    vst3::ParameterInfo bypass{};
    host.controller->getParameterInfo(kBypass, bypass);
    EXPECT_EQ(bypass.stepCount, 1);
    EXPECT_TRUE(bypass.flags & vst3::kIsBypass);
    vst3::ParameterInfo dither{};
    host.controller->getParameterInfo(kDithering, dither);
    EXPECT_EQ(dither.stepCount, 6);
    EXPECT_TRUE(dither.flags & vst3::kIsList);
    vst3::ParameterInfo scale{};
    host.controller->getParameterInfo(kOutputScale, scale);
    EXPECT_EQ(scale.stepCount, 3);

    vst3::ParameterInfo program{};
    ASSERT_EQ(host.controller->getParameterInfo(kNumParams, program), vst3::kResultOk);
    EXPECT_TRUE(program.flags & vst3::kIsProgramChange);
    EXPECT_EQ(program.stepCount, kNumPrograms - 1);
    EXPECT_NE(host.controller->getParameterInfo(18, program), vst3::kResultOk);
}

TEST(Vst3Module, TextsAndTextEntryAreInTheUnitsAUserReads)
{
    HostedVst3 host;
    vst3::IEditController& c = *host.controller;
    EXPECT_EQ(shown(c, kOutputTrim, 1.0), "0.0 dB");
    EXPECT_EQ(shown(c, kOutputTrim, 0.0), "-72.0 dB");
    // The drive the engine applies: program 0's 0.52 is -0.2 dB.
    EXPECT_EQ(shown(c, kInputDrive, 0.52), "-0.2 dB");
    EXPECT_EQ(shown(c, kXCorrTime, 1.0), "500.0 ms");
    EXPECT_EQ(shown(c, kSideGain, 0.5), "100 %");
    EXPECT_EQ(shown(c, kBypass, 0.0), "off");
    EXPECT_EQ(shown(c, kBypass, 1.0), "on");
    EXPECT_EQ(shown(c, kOutputScale, 2.0 / 3.0), "K14");
    EXPECT_EQ(shown(c, kDithering, 4.0 / 6.0), "16 bit");
    EXPECT_EQ(shown(c, vst3_parameters::kProgramId, 1.0 / 17.0), "+6dB (limiter only)");

    vst3::String128 typed{};
    double normalized = -1.0;
    vst3_text::toUtf16(typed, 128, "16bit");
    ASSERT_EQ(c.getParamValueByString(kDithering, typed, normalized), vst3::kResultOk);
    EXPECT_DOUBLE_EQ(normalized, 4.0 / 6.0);
    vst3_text::toUtf16(typed, 128, "-6 dB");
    ASSERT_EQ(c.getParamValueByString(kOutputTrim, typed, normalized), vst3::kResultOk);
    EXPECT_EQ(shown(c, kOutputTrim, normalized), "-6.0 dB");
    vst3_text::toUtf16(typed, 128, "loud");
    EXPECT_EQ(c.getParamValueByString(kOutputTrim, typed, normalized), vst3::kResultFalse);

    // Plain values are the user's: dB, entries, 0/1, and back.
    EXPECT_NEAR(c.normalizedParamToPlain(kInputDrive, 0.52), -0.16, 1e-4);
    EXPECT_DOUBLE_EQ(c.normalizedParamToPlain(kDithering, 1.0), 6.0);
    EXPECT_DOUBLE_EQ(c.plainParamToNormalized(kDithering, 4.0), 4.0 / 6.0);
    EXPECT_NEAR(c.plainParamToNormalized(kOutputTrim, -36.0), 1.0 / 7.0, 1e-6);
}

TEST(Vst3Module, ProgramListNamesTheEighteenPrograms)
{
    HostedVst3 host;
    auto* units = queried<vst3::IUnitInfo>(host.controller, vst3::kIUnitInfoIid);
    ASSERT_NE(units, nullptr);
    ASSERT_EQ(units->getProgramListCount(), 1);
    vst3::ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), vst3::kResultOk);
    EXPECT_EQ(list.programCount, kNumPrograms);
    vst3::UnitInfo root{};
    ASSERT_EQ(units->getUnitInfo(0, root), vst3::kResultOk);
    EXPECT_EQ(root.programListId, list.id);
    vst3::String128 name{};
    ASSERT_EQ(units->getProgramName(list.id, 7, name), vst3::kResultOk);
    EXPECT_EQ(text(name), "Mix first aid");
    EXPECT_NE(units->getProgramName(list.id, kNumPrograms, name), vst3::kResultOk);
    units->release();
}
