#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/HostedEffect.h"

namespace
{
void expectVarnholtRecord(const AEffect* e)
{
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 18);
    EXPECT_EQ(e->numParams, 17);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x1211); // editor, replacing, double replacing and no sound in stop
    EXPECT_EQ(e->initialDelay, 512);
    EXPECT_EQ(e->uniqueID, ('V' << 24) | ('R' << 16) | ('N' << 8) | 'H');
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->realQualities | e->offQualities | e->resvd1 | e->resvd2, 0);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_NE(e->process, e->processReplacing); // Carla only uses processReplacing then
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    const char zeros[sizeof e->future] = {};
    EXPECT_EQ(std::memcmp(e->future, zeros, sizeof zeros), 0);
}
} // namespace

TEST(Entry, EachEntrySymbolCreatesAnIndependentEffect)
{
    forgetHostCalls();
    HostedEffect byMain("main");
    HostedEffect byVstPluginMain("VSTPluginMain");
    expectVarnholtRecord(byMain.get());
    expectVarnholtRecord(byVstPluginMain.get());
    EXPECT_NE(byMain->object, byVstPluginMain->object);
    const std::vector<VstInt32> opcodes = recordedHostOpcodes();
    ASSERT_FALSE(opcodes.empty());
    EXPECT_EQ(opcodes.front(), audioMasterVersion);

    byMain.setParameter(2 /* Bypass */, 1.0f);
    EXPECT_EQ(byVstPluginMain.getParameter(2 /* Bypass */), 0.0f);
}

TEST(Entry, AnyNonZeroHostVersionIsAcceptedAndZeroOrNoCallbackGivesNull)
{
    PluginLibrary library;
    for (const char* symbol : {"main", "VSTPluginMain"})
    {
        for (VstIntPtr version : {VstIntPtr{2400}, VstIntPtr{2300}, VstIntPtr{2}})
        {
            setHostVersionAnswer(version);
            AEffect* e = library.entry(symbol)(recordingHostCallback);
            ASSERT_NE(e, nullptr) << version;
            EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
        }
        setHostVersionAnswer(0);
        EXPECT_EQ(library.entry(symbol)(recordingHostCallback), nullptr) << symbol;
        setHostVersionAnswer(kVstVersion);
        EXPECT_EQ(library.entry(symbol)(nullptr), nullptr) << symbol;
    }
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
