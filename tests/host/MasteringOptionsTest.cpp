// The mastering and batch options: how they are read, and each misuse refused in one line.
#include "host/CommandLine.h"
#include "host/HostError.h"

#include <gtest/gtest.h>

TEST(MasteringOptions, ReadEveryOptionAndTakeEveryPositionalAsInputWithAnOutputFolder)
{
    const CommandLine options =
        parseCommandLine({"--target-lufs", "-14.5", "--ceiling-dbtp=-2", "--jobs", "3", "--album",
                          "--plot", "--output-dir", "out", "a.wav", "b.flac", "c.wav"});
    EXPECT_EQ(options.targetLufs, -14.5);
    EXPECT_EQ(options.ceilingDbtp, -2.0);
    EXPECT_EQ(options.jobs, 3);
    EXPECT_TRUE(options.album);
    EXPECT_TRUE(options.plot);
    EXPECT_EQ(options.inputPaths, (std::vector<std::string>{"a.wav", "b.flac", "c.wav"}));

    const CommandLine defaults = parseCommandLine({"in.wav"});
    EXPECT_FALSE(defaults.targetLufs.has_value());
    EXPECT_EQ(defaults.jobs, 0) << "one per core";
    EXPECT_TRUE(defaults.inputPaths.empty()) << "one file: INPUT [OUTPUT]";
}

TEST(MasteringOptions, RefuseMisuseWithAMessageNamingTheOption)
{
    const struct
    {
        std::vector<std::string> arguments;
        const char* message;
    } refusals[] = {
        {{"--target-lufs", "loud", "in.wav"}, "--target-lufs needs a level from -70 to 0"},
        {{"--target-lufs", "3", "in.wav"}, "--target-lufs needs a level from -70 to 0"},
        {{"--target-lufs", "-14", "--ceiling-dbtp", "1", "in.wav"},
         "--ceiling-dbtp needs a level from -30 to 0"},
        {{"--ceiling-dbtp", "-1", "in.wav"}, "--ceiling-dbtp needs --target-lufs"},
        {{"--album", "--output-dir", "o", "a.wav"}, "--album needs --target-lufs"},
        {{"--album", "--target-lufs", "-14", "a.wav"}, "--album needs --output-dir"},
        {{"--jobs", "0", "in.wav"}, "--jobs needs a whole number from 1 to 64"},
        {{"--jobs", "2x", "in.wav"}, "--jobs needs a whole number"},
        {{"--plot=yes", "in.wav"}, "--plot takes no value"},
    };
    for (const auto& refusal : refusals)
    {
        try
        {
            parseCommandLine(refusal.arguments);
            ADD_FAILURE() << "accepted: " << refusal.message;
        }
        catch (const HostError& error)
        {
            EXPECT_NE(std::string(error.what()).find(refusal.message), std::string::npos)
                << error.what();
        }
    }
}
