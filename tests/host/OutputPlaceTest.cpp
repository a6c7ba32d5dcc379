// What varnholt-render does with whatever already stands at the output's name, with limits on
// the file it writes, and with a report nobody can read.
#include "CommandRun.h"
#include "SoundFileWriter.h"
#include "host/AudioFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr int kSampleRateHz = 44100;
constexpr std::size_t kInputFrames = 22050;
constexpr char kOldText[] = "an older file";

class OutputPlace : public ::testing::Test
{
  protected:
    OutputPlace()
    {
        std::vector<float> tone(kInputFrames);
        for (std::size_t frame = 0; frame < kInputFrames; ++frame)
            tone[frame] = 0.25f * static_cast<float>(frame % 50) / 50.0f;
        writeSoundFile(input, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, kSampleRateHz, tone);
    }

    CommandRun renderTo(const std::string& output)
    {
        return runCommand({"--plugin", FAKE_MAIN_ONLY_PATH, input, output});
    }

    static std::string contentOf(const std::string& path)
    {
        std::ifstream file(path);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    static mode_t modeOf(const std::string& path)
    {
        struct stat status
        {
        };
        lstat(path.c_str(), &status);
        return status.st_mode;
    }

    TempFolder folder;
    const std::string input = folder / "in.wav";
};
} // namespace

TEST_F(OutputPlace, RefusesWhatIsNoRegularFileAndLeavesItAsItWas)
{
    const std::string fifo = folder / "fifo.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::string socketPath = folder / "socket.wav";
    const int socketDescriptor = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(socketDescriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string device = folder / "null.wav";
    // Only root makes device nodes; elsewhere the other kinds stand for it.
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const std::string subfolder = folder / "sub.wav";
    std::filesystem::create_directory(subfolder);

    for (const std::string& path : {fifo, socketPath, device, subfolder})
    {
        if (path == device && !haveDevice)
            continue;
        const mode_t before = modeOf(path);
        const CommandRun result = renderTo(path);
        EXPECT_EQ(result.status, 1) << path;
        EXPECT_NE(result.errors.find("cannot write " + path + ": "), std::string::npos)
            << result.errors;
        EXPECT_EQ(modeOf(path), before) << path;
    }
    close(socketDescriptor);
    std::vector<std::string> expected{"fifo.wav", "in.wav", "socket.wav", "sub.wav"};
    if (haveDevice)
        expected.insert(expected.begin() + 2, "null.wav");
    EXPECT_EQ(folder.fileNames(), expected);
}

TEST_F(OutputPlace, ReplacesAFileKeepingItsModeAndWritesThroughALink)
{
    const std::string kept = folder / "kept.wav";
    std::ofstream(kept) << kOldText;
    chmod(kept.c_str(), 0640);
    ASSERT_EQ(renderTo(kept).status, 0);
    EXPECT_EQ(modeOf(kept) & 07777, 0640u);
    EXPECT_EQ(AudioReader(kept).frames(), static_cast<long long>(kInputFrames));

    const std::string target = folder / "target.wav";
    std::ofstream(target) << kOldText;
    const std::string link = folder / "link.wav";
    ASSERT_EQ(symlink("target.wav", link.c_str()), 0);
    const CommandRun result = renderTo(link);
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(S_ISLNK(modeOf(link)));
    EXPECT_EQ(AudioReader(target).frames(), static_cast<long long>(kInputFrames));
}

TEST_F(OutputPlace, RefusesAReadOnlyFileAndADanglingLink)
{
    const std::string readOnly = folder / "read-only.wav";
    std::ofstream(readOnly) << kOldText;
    chmod(readOnly.c_str(), 0444);
    CommandRun result = renderTo(readOnly);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("read-only"), std::string::npos) << result.errors;
    EXPECT_EQ(contentOf(readOnly), kOldText);
    EXPECT_EQ(modeOf(readOnly) & 07777, 0444u);

    const std::string dangling = folder / "dangling.wav";
    ASSERT_EQ(symlink("nowhere/gone.wav", dangling.c_str()), 0);
    result = renderTo(dangling);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("a symbolic link to nothing"), std::string::npos)
        << result.errors;
    EXPECT_TRUE(S_ISLNK(modeOf(dangling)));
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"dangling.wav", "in.wav",
                                                            "read-only.wav"}));
}

TEST_F(OutputPlace, TakesTheLongestNameTheFolderAllows)
{
    const std::string name = std::string(251, 'a') + ".wav";
    const CommandRun result = renderTo(folder / name);
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(AudioReader(folder / name).frames(), static_cast<long long>(kInputFrames));
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{name, "in.wav"}));
}

TEST_F(OutputPlace, AFileSizeLimitIsReportedAndLeavesNothing)
{
    int errorPipe[2];
    ASSERT_EQ(pipe(errorPipe), 0);
    const std::string output = folder / "out.wav";
    const pid_t child = fork();
    if (child == 0)
    {
        // 16 KiB: a fraction of the output's 88 KB.
        const rlimit limit{16384, 16384};
        setrlimit(RLIMIT_FSIZE, &limit);
        dup2(errorPipe[1], STDERR_FILENO);
        std::freopen("/dev/null", "w", stdout);
        execl(VARNHOLT_RENDER_PATH, VARNHOLT_RENDER_PATH, "--plugin", FAKE_MAIN_ONLY_PATH,
              input.c_str(), output.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(errorPipe[1]);
    std::string errors;
    char buffer[256];
    for (ssize_t count; (count = read(errorPipe[0], buffer, sizeof buffer)) > 0;)
        errors.append(buffer, static_cast<std::size_t>(count));
    close(errorPipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(errors.find("cannot write " + output), std::string::npos) << errors;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"in.wav"});
}

TEST_F(OutputPlace, APlotNeverOverwritesItsOwnOutput)
{
    const CommandRun result =
        runCommand({"--plugin", FAKE_MAIN_ONLY_PATH, "--plot", input, folder / "x.png"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("the plot would overwrite the output"), std::string::npos)
        << result.errors;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"in.wav"});
}

TEST(ReportStream, AReportNobodyCanReadIsAFailure)
{
    std::ostream closed(nullptr);
    std::ostringstream errors;
    EXPECT_EQ(runRenderCommand({"--help"}, closed, errors), 1);
    EXPECT_EQ(errors.str(), "varnholt-render: cannot write the report\n");
}
