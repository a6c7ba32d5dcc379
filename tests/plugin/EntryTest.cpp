#include <gtest/gtest.h>

#include <cstring>

#include "PluginHost.h"

namespace
{
// Editor, replacing, double replacing and no sound in stop.
constexpr VstInt32 expectedFlags = 0x1211;

void expectVarnholtRecord(const AEffect* e)
{
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 18);
    EXPECT_EQ(e->numParams, 17);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, expectedFlags);
    EXPECT_EQ(e->initialDelay, 512);
    EXPECT_EQ(e->uniqueID, ('V' << 24) | ('R' << 16) | ('N' << 8) | 'H');
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->process, e->processReplacing); // Carla only uses processReplacing then
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    const char zeros[sizeof e->future] = {};
    EXPECT_EQ(std::memcmp(e->future, zeros, sizeof zeros), 0);
}
} // namespace

TEST(Entry, EachEntrySymbolCreatesAnIndependentEffect)
{
    hostCalls.clear();
    HostedEffect byMain("main");
    HostedEffect byVstPluginMain("VSTPluginMain");
    expectVarnholtRecord(byMain.operator->());
    expectVarnholtRecord(byVstPluginMain.operator->());
    EXPECT_NE(byMain->object, byVstPluginMain->object);
    ASSERT_FALSE(hostCalls.empty());
    EXPECT_EQ(hostCalls.front().opcode, audioMasterVersion);

    byMain.setParameter(2 /* Bypass */, 1.0f);
    EXPECT_EQ(byVstPluginMain.getParameter(2 /* Bypass */), 0.0f);
}

TEST(Entry, AnyNonZeroHostVersionIsAcceptedAndZeroOrNoCallbackGivesNull)
{
    PluginLibrary library;
    for (VstIntPtr version : {VstIntPtr{2400}, VstIntPtr{2300}, VstIntPtr{2}})
    {
        hostVersionAnswer = version;
        AEffect* e = library.entry("VSTPluginMain")(testHostCallback);
        ASSERT_NE(e, nullptr) << version;
        EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    }
    hostVersionAnswer = 0;
    EXPECT_EQ(library.entry("VSTPluginMain")(testHostCallback), nullptr);
    EXPECT_EQ(library.entry("main")(testHostCallback), nullptr);
    hostVersionAnswer = kVstVersion;
    EXPECT_EQ(library.entry("VSTPluginMain")(nullptr), nullptr);
    EXPECT_EQ(library.entry("main")(nullptr), nullptr);
}

TEST(Entry, TheLibraryUnloadsOnceTheHostLetsGo)
{
    {
        HostedEffect effect;
        EXPECT_TRUE(PluginLibrary::isLoaded());
    }
    // Symbols kept global by mistake (e.g. unique template statics) would pin the library.
    EXPECT_FALSE(PluginLibrary::isLoaded());
}
