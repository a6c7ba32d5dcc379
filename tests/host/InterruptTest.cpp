// Ctrl-C or a kill during a render leaves neither a partial output nor a temporary behind.
#include "SoundFileWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestProgrammes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{
pid_t startRender(const std::vector<std::string>& arguments, int ignoredSignal = 0)
{
    std::vector<char*> argv = {const_cast<char*>(VARNHOLT_RENDER_PATH)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0)
    {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        if (ignoredSignal != 0)
            std::signal(ignoredSignal, SIG_IGN); // as nohup does; kept across exec
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

bool anyFileBut(const TempFolder& folder, const std::string& name)
{
    for (const std::string& file : folder.fileNames())
        if (file != name)
            return true;
    return false;
}
} // namespace

TEST(Interrupt, LeavesNoPartialOrTemporaryFile)
{
    const struct
    {
        const char* name;
        std::vector<std::string> options;
        int signalNumber;
        bool waitForTemporary; // a plain render streams into its temporary from the start
    } cases[] = {
        {"plain render, SIGINT", {"--plugin", FAKE_MAIN_ONLY_PATH, "--block", "1"}, SIGINT, true},
        {"plain render, SIGTERM", {"--plugin", FAKE_MAIN_ONLY_PATH, "--block", "1"}, SIGTERM, true},
#ifdef VARNHOLT_PLUGIN_PATH
        {"mastering, SIGINT",
         {"--plugin", VARNHOLT_PLUGIN_PATH, "--target-lufs", "-14"},
         SIGINT,
         false},
#endif
    };
    for (const auto& test : cases)
    {
        TempFolder folder;
        writeSoundFile(folder / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                       generateProgramme(Character::dense, 20.0));
        std::vector<std::string> arguments = test.options;
        arguments.insert(arguments.end(), {folder / "in.wav", folder / "out.wav"});
        const pid_t child = startRender(arguments);
        ASSERT_GT(child, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        if (test.waitForTemporary)
        {
            while (!anyFileBut(folder, "in.wav") && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_TRUE(!test.waitForTemporary || anyFileBut(folder, "in.wav")) << test.name;
        kill(child, test.signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == test.signalNumber) << test.name;
        EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"in.wav"}) << test.name;
    }
}

TEST(Interrupt, ASignalIgnoredByTheCallerStaysIgnored)
{
    TempFolder folder;
    writeSoundFile(folder / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kProgrammeRateHz,
                   generateProgramme(Character::dense, 5.0));
    const pid_t child = startRender(
        {"--plugin", FAKE_MAIN_ONLY_PATH, "--block", "1", folder / "in.wav", folder / "out.wav"},
        SIGHUP);
    ASSERT_GT(child, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!anyFileBut(folder, "in.wav") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    kill(child, SIGHUP);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"in.wav", "out.wav"}));
}
