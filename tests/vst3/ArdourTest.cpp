// Ardour 7 headless with a private HOME whose VST3 path holds only our bundle: its scanner
// accepts the bundle, a Lua session loads the plug-in, reads 17 parameters and latency 512,
// chooses a program without deadlock, bounces a file equal to the VST 2.4 edition's render
// (Ardour compensates the latency itself), and a reopened session keeps every parameter.
// About 25 s: two sessions start and stop Ardour's engine.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "Vst3TestHost.h"
#include "engine/LimiterEngine.h"
#include "parameters/UserUnits.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Vst2ReferenceRender.h"
#include "vst3plugin/Vst3Parameters.h"

namespace
{
constexpr int kBounceFrames = 44100;
constexpr int kMixFirstAid = 7;
constexpr float kTrimDb = -1.5f;
constexpr float kSixteenBits = 4.0f;
// A session that has not finished in this time is taken for a deadlock.
constexpr int kTimeoutSeconds = 120;

struct ArdourRun
{
    int status = -1;
    std::map<std::string, std::string> lines; // first word -> the rest
    std::map<int, double> parameters;
};

class ArdourHome
{
  public:
    ArdourHome()
    {
        namespace fs = std::filesystem;
        fs::create_directories(home / ".vst3");
        fs::create_directory_symlink(VARNHOLT_VST3_BUNDLE, home / ".vst3" / "VarnholtPro.vst3");
        fs::create_directories(home / ".config" / "ardour7" / "scripts");
        fs::copy_file(std::string(ARDOUR_SCRIPTS) + "/test_signal.lua",
                      home / ".config" / "ardour7" / "scripts" / "vh_test_signal.lua");
        // Only our bundle: Ardour's own default adds /usr/lib/vst3.
        std::ofstream(home / ".config" / "ardour7" / "config")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Ardour><Config>"
            << "<Option name=\"plugin-path-vst3\" value=\"" << (home / ".vst3").string()
            << "\"/></Config></Ardour>\n";
    }

    int scan() const
    {
        return std::system((environment() + "LD_LIBRARY_PATH=/usr/lib/ardour7 " +
                            ARDOUR_VST3_SCANNER + " -q " +
                            (home / ".vst3" / "VarnholtPro.vst3").string())
                               .c_str());
    }
    bool scannerCached() const
    {
        const auto cache = home / ".cache" / "ardour7" / "vst";
        if (!std::filesystem::exists(cache))
            return false;
        for (const auto& entry : std::filesystem::directory_iterator(cache))
            if (entry.path().extension() == ".v3i")
                return true;
        return false;
    }

    ArdourRun run(const char* script) const
    {
        const std::string output = (folder.path / "lua-output.txt").string();
        ArdourRun run;
        run.status = std::system((environment() + "timeout " + std::to_string(kTimeoutSeconds) +
                                  " " + ARDOUR_LUA + " " + ARDOUR_SCRIPTS + "/" + script + " " +
                                  session() + " > " + output + " 2>&1")
                                     .c_str());
        std::ifstream in(output);
        std::string line;
        while (std::getline(in, line))
        {
            std::istringstream words(line);
            std::string first;
            words >> first;
            if (first == "parameter")
            {
                int index = 0;
                double value = 0.0;
                words >> index >> value;
                run.parameters[index] = value;
            }
            else
            {
                std::string rest;
                std::getline(words >> std::ws, rest);
                run.lines[first] = rest;
            }
        }
        return run;
    }
    std::string session() const { return (folder.path / "session").string(); }

  private:
    std::string environment() const { return "HOME=" + home.string() + " "; }

    TempFolder folder;
    std::filesystem::path home = folder.path / "home";
};

// The test signal script's frames, computed the same way in double.
Stereo testSignal(int frames)
{
    const double pi = M_PI;
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    for (int n = 0; n < frames; ++n)
    {
        const double burst = (n / 4096) % 2 == 1 ? 1.6 : 0.5;
        const double common = std::sin(2 * pi * 220 * n / 44100);
        s.left[n] =
            static_cast<float>(burst * (0.7 * common + 0.3 * std::sin(2 * pi * 3100 * n / 44100)));
        s.right[n] =
            static_cast<float>(burst * (0.6 * common - 0.4 * std::sin(2 * pi * 1870 * n / 44100)));
    }
    return s;
}

std::vector<float> readMono(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return {};
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}
} // namespace

TEST(Vst3Ardour, ScansLoadsRendersAsVst2AndReopensAsSaved)
{
    ArdourHome ardour;
    ASSERT_EQ(ardour.scan(), 0);
    ASSERT_TRUE(ardour.scannerCached()) << "Ardour lists a VST3 only from its scanner's cache";

    const ArdourRun created = ardour.run("create.lua");
    ASSERT_EQ(created.status, 0) << "timed out or failed";
    EXPECT_EQ(created.lines.at("program"), "true");
    EXPECT_EQ(created.lines.at("parameters"), "17");
    EXPECT_EQ(created.lines.at("latency"), "512");
    ASSERT_EQ(created.parameters.size(), 17u);
    // The program's values as the user reads them, with the two set after it.
    EXPECT_NEAR(created.parameters.at(kOutputTrim), kTrimDb, 1e-5);
    EXPECT_NEAR(created.parameters.at(kInputDrive), 5.72, 1e-4);
    EXPECT_NEAR(created.parameters.at(kSideGain), 140.0, 1e-4);
    EXPECT_NEAR(created.parameters.at(kRmsThreshold), -8.0, 1e-5);
    EXPECT_EQ(created.parameters.at(kDithering), kSixteenBits);

    // Bounced left and right against the VST 2.4 edition at the same settings.
    std::string bounced = created.lines.at("bounced");
    const std::size_t channelMark = bounced.find("%L");
    ASSERT_NE(channelMark, std::string::npos);
    std::string rightPath = bounced;
    rightPath.replace(channelMark, 2, "%R");
    const Stereo ardourRender{readMono(bounced), readMono(rightPath)};
    ASSERT_EQ(ardourRender.left.size(), static_cast<std::size_t>(kBounceFrames));

    Vst2ReferenceRender vst2;
    vst2.setProgram(kMixFirstAid);
    vst2.setParameter(kOutputTrim, static_cast<float>(vst3_parameters::normalizedOf(
                                       kOutputTrim, parameterValueOf(kOutputTrim, kTrimDb))));
    vst2.setParameter(kDithering, kSixteenBits);
    const Stereo reference = vst2.render(testSignal(kBounceFrames));
    // Ardour compensates the latency: its frame i is the reference's i + 512, sample for sample.
    const int latency = LimiterEngine::kLatencyFrames;
    const Stereo aligned{
        std::vector<float>(reference.left.begin() + latency, reference.left.end()),
        std::vector<float>(reference.right.begin() + latency, reference.right.end())};
    const Stereo compared{
        std::vector<float>(ardourRender.left.begin(), ardourRender.left.end() - latency),
        std::vector<float>(ardourRender.right.begin(), ardourRender.right.end() - latency)};
    EXPECT_EQ(maxDifference(compared, aligned), 0.0f);

    const ArdourRun reopened = ardour.run("reopen.lua");
    ASSERT_EQ(reopened.status, 0);
    EXPECT_EQ(reopened.lines.at("latency"), "512");
    EXPECT_EQ(reopened.parameters, created.parameters);
}
