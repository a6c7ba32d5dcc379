// Unreadable inputs and refused formats are covered, message by message, by RenderCommandTest.
#include "host/AudioFile.h"
#include "SoundFileWriter.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace
{
constexpr int kSampleRateHz = 44100;
constexpr int kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

std::vector<float> readAll(const std::string& path)
{
    AudioReader reader(path);
    std::vector<float> samples(2 * static_cast<std::size_t>(reader.frames()) + 2);
    samples.resize(2 * reader.read(samples.data(), samples.size() / 2));
    return samples;
}
} // namespace

TEST(AudioFile, SixteenBitCodesRoundTripOversClipInsteadOfWrappingAndMonoFillsBothChannels)
{
    TempFolder folder;
    const std::vector<float> written = {
        -1.0f, -12345.0f / 32768, 0.0f, 1.0f / 32768, 32767.0f / 32768, 0.5f, 1.5f, -1.5f};
    std::vector<float> expected = written;
    expected[6] = 32767.0f / 32768;
    expected[7] = -1.0f;
    AudioWriter writer(folder / "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kSampleRateHz);
    writer.write(written.data(), written.size() / 2);
    writer.commit();
    EXPECT_EQ(readAll(folder / "a.wav"), expected);

    writeSoundFile(folder / "mono.wav", kWavFloat, 1, kSampleRateHz, {0.25f, -0.5f});
    EXPECT_EQ(readAll(folder / "mono.wav"), (std::vector<float>{0.25f, 0.25f, -0.5f, -0.5f}));
}

// Readers such as sox expect the format chunk of any WAV that is not integer PCM to carry its
// extension size: float outputs get it, and read back sample for sample.
TEST(AudioFile, FloatWavsCarryTheFormatChunksExtensionSize)
{
    TempFolder folder;
    std::vector<float> written(2 * 150000); // more than one block of the shift
    for (std::size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<float>(i % 1000) / 1000.0f - 0.5f;
    for (const int format :
         {kWavFloat, SF_FORMAT_WAV | SF_FORMAT_DOUBLE, SF_FORMAT_WAV | SF_FORMAT_PCM_16})
    {
        const std::string path = folder / ("out-" + std::to_string(format) + ".wav");
        AudioWriter writer(path, format, kSampleRateHz);
        writer.write(written.data(), written.size() / 2);
        writer.commit();
        std::ifstream file(path, std::ios::binary);
        std::vector<unsigned char> header(40);
        file.read(reinterpret_cast<char*>(header.data()),
                  static_cast<std::streamsize>(header.size()));
        const bool integer = (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
        EXPECT_EQ(header[16], integer ? 16 : 18) << format;
        if (!integer)
        {
            EXPECT_EQ(header[36] | header[37] << 8, 0) << "no extension bytes";
            EXPECT_EQ(std::string(header.begin() + 38, header.end()), "fa") << "next chunk";
            file.seekg(0, std::ios::end);
            const auto riffBytes = header[4] | header[5] << 8 | header[6] << 16 | header[7] << 24;
            EXPECT_EQ(riffBytes + 8, static_cast<long>(file.tellg()));
            EXPECT_EQ(readAll(path), written) << format;
        }
    }
}

TEST(AudioFile, AnUncommittedOutputLeavesNothingBehind)
{
    TempFolder folder;
    const float frame[] = {0.1f, 0.2f};
    AudioWriter(folder / "out.wav", kWavFloat, kSampleRateHz).write(frame, 1);
    EXPECT_TRUE(folder.fileNames().empty());
}

TEST(AudioFile, OutputKeepsTheInputsFormatUnlessToldOtherwise)
{
    EXPECT_EQ(chooseOutputFormat(kWavFloat, "out.wav", 0, kSampleRateHz), kWavFloat);
    EXPECT_EQ(chooseOutputFormat(kWavFloat, "out", 0, kSampleRateHz), kWavFloat);
    EXPECT_EQ(chooseOutputFormat(kWavFloat, "out.wav", SF_FORMAT_PCM_16, kSampleRateHz),
              SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(chooseOutputFormat(SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "out.aif", 0, kSampleRateHz),
              SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    // Another container by extension, with the nearest sample type it can hold.
    EXPECT_EQ(chooseOutputFormat(kWavFloat, "out.flac", 0, kSampleRateHz),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(chooseOutputFormat(kWavFloat, "out.ogg", 0, kSampleRateHz),
              SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(sampleTypeNamed("int24"), SF_FORMAT_PCM_24);
}
