#include "host/AudioFile.h"
#include "TempFolder.h"
#include "host/HostError.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
constexpr int sampleRateHz = 44100;

std::vector<float> readAll(const std::string& path)
{
    AudioReader reader(path);
    std::vector<float> samples(2 * static_cast<std::size_t>(reader.frames()) + 2);
    samples.resize(2 * reader.read(samples.data(), samples.size() / 2));
    return samples;
}

void writeAll(const std::string& path, int format, const std::vector<float>& interleaved)
{
    AudioWriter writer(path, format, sampleRateHz);
    writer.write(interleaved.data(), interleaved.size() / 2);
    writer.commit();
}
} // namespace

TEST(AudioFile, SixteenBitSamplesSurviveARoundTripAndOversClipInsteadOfWrapping)
{
    TempFolder folder;
    const std::vector<float> codes = {-1.0f,        -12345.0f / 32768, 0.0f,
                                      1.0f / 32768, 32767.0f / 32768,  0.5f};
    writeAll(folder / "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, codes);
    EXPECT_EQ(readAll(folder / "a.wav"), codes);

    writeAll(folder / "b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, {1.5f, -1.5f});
    const std::vector<float> clipped = {32767.0f / 32768, -1.0f};
    EXPECT_EQ(readAll(folder / "b.wav"), clipped);
}

TEST(AudioFile, MonoGoesToBothChannelsAndMoreThanTwoIsRefused)
{
    TempFolder folder;
    writeSoundFile(folder / "mono.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, sampleRateHz,
                   {0.25f, -0.5f, 0.75f});
    const std::vector<float> stereo = {0.25f, 0.25f, -0.5f, -0.5f, 0.75f, 0.75f};
    EXPECT_EQ(readAll(folder / "mono.wav"), stereo);

    writeSoundFile(folder / "three.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 3, sampleRateHz,
                   {0.1f, 0.2f, 0.3f});
    EXPECT_THROW(AudioReader(folder / "three.wav"), HostError);
    EXPECT_THROW(AudioReader(folder / "missing.wav"), HostError);
    std::ofstream(folder / "text.wav") << "not audio";
    EXPECT_THROW(AudioReader(folder / "text.wav"), HostError);
}

TEST(AudioFile, OutputKeepsTheInputsFormatUnlessToldOtherwise)
{
    const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    EXPECT_EQ(chooseOutputFormat(wavFloat, "out.wav", 0, sampleRateHz), wavFloat);
    EXPECT_EQ(chooseOutputFormat(wavFloat, "out", 0, sampleRateHz), wavFloat);
    EXPECT_EQ(chooseOutputFormat(wavFloat, "out.wav", SF_FORMAT_PCM_16, sampleRateHz),
              SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(chooseOutputFormat(SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "out.aif", 0, sampleRateHz),
              SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    // Another container by extension, with the nearest sample type it can hold.
    EXPECT_EQ(chooseOutputFormat(wavFloat, "out.flac", 0, sampleRateHz),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(chooseOutputFormat(wavFloat, "out.ogg", 0, sampleRateHz),
              SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_THROW(chooseOutputFormat(wavFloat, "out.flac", SF_FORMAT_FLOAT, sampleRateHz),
                 HostError);
    EXPECT_EQ(sampleTypeNamed("int24"), SF_FORMAT_PCM_24);
    EXPECT_THROW(sampleTypeNamed("int12"), HostError);
}

TEST(AudioFile, AnUncommittedOutputLeavesNothingBehind)
{
    TempFolder folder;
    {
        AudioWriter writer(folder / "out.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, sampleRateHz);
        const float frame[] = {0.1f, 0.2f};
        writer.write(frame, 1);
    }
    EXPECT_EQ(folder.fileCount(), 0u);
}
