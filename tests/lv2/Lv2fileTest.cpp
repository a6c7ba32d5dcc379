// Debian's lv2file renders a file through the bundle as users run it; after aligning its
// output for the latency it leaves in (512 frames), it holds varnholt-render's samples for
// the VST edition at the same settings.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstdlib>
#include <string>

#include "lv2/Lv2Identity.h"
#include "tests/support/Vst2ReferenceRender.h"

namespace
{
constexpr std::size_t kFrames = 30000;
constexpr std::size_t kLatencyFrames = 512;
const std::string kFolder = LV2_TEST_OUTPUT_DIR;

void writeFloatWav(const std::string& path, const StereoSignal& s)
{
    SF_INFO info{};
    info.samplerate = static_cast<int>(Vst2ReferenceRender::kSampleRateHz);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> interleaved;
    for (std::size_t i = 0; i < s.left.size(); ++i)
        interleaved.insert(interleaved.end(), {s.left[i], s.right[i]});
    EXPECT_EQ(sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(s.left.size())),
              static_cast<sf_count_t>(s.left.size()));
    sf_close(file);
}

StereoSignal readWav(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr || info.channels != 2)
        return {};
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * 2);
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    StereoSignal s;
    for (std::size_t i = 0; i < interleaved.size(); i += 2)
    {
        s.left.push_back(interleaved[i]);
        s.right.push_back(interleaved[i + 1]);
    }
    return s;
}

int run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}
} // namespace

TEST(Lv2file, RendersTheVstSamplesAfterLatencyAlignment)
{
#ifdef LV2_TEST_SANITIZED
    GTEST_SKIP() << "lv2file, not built with the sanitizers, cannot load a sanitized bundle";
#endif
    struct Case
    {
        const char* name;
        std::string lv2fileOptions;
        std::string renderOptions;
        float tolerance;
    };
    const Case cases[] = {
        {"defaults", "", "", 0.0f},
        {"preset", "-P 'Mix first aid'", "--program 7", 0.0f},
        // Port values as a user types them: +5.72 dB of drive is the float next to the
        // parameter value 0.66 (the preset writes 5.720001), which moves the output by less
        // than -120 dBFS.
        {"ports", "-p input_drive:5.72 -p softclip_amount:50.0 -p output_scale:1.0",
         "--set-normalised 'Input drive=0.66' --set-normalised 'Softclip amount=0.5' "
         "--set-normalised 'Output scale=0.25'",
         1e-6f},
    };
    const std::string input = kFolder + "/lv2file-input.wav";
    writeFloatWav(input, comparisonMaterial(kFrames));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string viaLv2 = kFolder + "/lv2file-" + c.name + ".wav";
        const std::string viaVst = kFolder + "/render-" + c.name + ".wav";
        std::remove(viaLv2.c_str());
        ASSERT_EQ(run("LV2_PATH='" VARNHOLT_LV2_PATH "' '" LV2FILE_PROGRAM
                      "' --ignore-clipping -b 1000 " +
                      c.lv2fileOptions + " -i '" + input + "' -o '" + viaLv2 + "' " +
                      lv2_identity::kPluginUri),
                  0);
        ASSERT_EQ(run("'" VARNHOLT_RENDER_PROGRAM "' --plugin '" VARNHOLT_PLUGIN_PATH
                      "' --format float32 " +
                      c.renderOptions + " '" + input + "' '" + viaVst + "'"),
                  0);
        const StereoSignal lv2 = readWav(viaLv2);
        const StereoSignal vst = readWav(viaVst);
        ASSERT_EQ(lv2.left.size(), kFrames);
        ASSERT_EQ(vst.left.size(), kFrames);
        // lv2file keeps the look-ahead delay in its output; varnholt-render compensates it.
        for (std::size_t i = 0; i < kLatencyFrames; ++i)
            ASSERT_EQ(lv2.left[i], 0.0f) << i;
        const auto aligned = [](const std::vector<float>& samples, std::size_t first) {
            return std::vector<float>(samples.begin() + first,
                                      samples.end() - (kLatencyFrames - first));
        };
        const float largest =
            maxDifference({aligned(lv2.left, kLatencyFrames), aligned(lv2.right, kLatencyFrames)},
                          {aligned(vst.left, 0), aligned(vst.right, 0)});
        EXPECT_LE(largest, c.tolerance);
        RecordProperty(std::string("max_difference_") + c.name, testing::PrintToString(largest));
    }
}
