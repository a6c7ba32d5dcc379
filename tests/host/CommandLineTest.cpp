#include "host/CommandLine.h"
#include "host/HostError.h"

#include <gtest/gtest.h>

TEST(CommandLine, ReadsEveryOptionInBothSpellings)
{
    const CommandLine options = parseCommandLine(
        {"--plugin", "p.so", "--program=Loud", "--set", "a=0.5", "--set=b=1", "--set-raw", "c=4",
         "--block", "7", "--format", "int24", "--output-dir=out", "--json", "in.wav", "out.flac"});
    EXPECT_EQ(options.pluginPath, "p.so");
    EXPECT_EQ(options.program, "Loud");
    EXPECT_EQ(options.settings, (std::vector<std::string>{"a=0.5", "b=1"}));
    EXPECT_EQ(options.rawSettings, (std::vector<std::string>{"c=4"}));
    EXPECT_EQ(options.blockFrames, 7);
    EXPECT_EQ(options.sampleFormat, "int24");
    EXPECT_EQ(options.outputDirectory, "out");
    EXPECT_TRUE(options.json);
    EXPECT_FALSE(options.list);
    EXPECT_EQ(options.inputPath, "in.wav");
    EXPECT_EQ(options.outputPath, "out.flac");

    const CommandLine defaults = parseCommandLine({});
    EXPECT_EQ(defaults.blockFrames, 512);
    EXPECT_TRUE(defaults.inputPath.empty());
}

TEST(CommandLine, RefusesWhatItCannotUse)
{
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--block", "0"},
                                               {"--block", "12x"},
                                               {"--block", "99999999999"},
                                               {"--block"},
                                               {"--json=yes"},
                                               {"--loud"},
                                               {"a.wav", "b.wav", "c.wav"}})
        EXPECT_THROW(parseCommandLine(arguments), HostError) << arguments[0];
}
