// Writes the manual's pictures of the editor from its own headless render: at rest on the
// "Default" program, busy while the built-in demo mix plays through "Mix first aid" with the
// drive pushed, taken at the moment of deepest limiting, and with the loudness panel open after
// the demo mix played through that program, at 100 % (and at 200 % into the folder
// EDITOR_PICTURES_CHECKING_FOLDER names, when set, for checking by eye).
// Usage: editor_pictures FOLDER
#include "editor/LimiterEditor.h"
#include "editor/ScaleSetting.h"
#include "host/DemoSynth.h"
#include "parameters/Parameters.h"
#include "plugin/LimiterEffectEdit.h"
#include "plugin/VstEditor.h"
#include "toolkit/CFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{
// A host's user-interface thread idles its editors about every 23 ms: one idle per two blocks.
constexpr int kBlockFrames = 512;
constexpr int kBlocksPerIdle = 2;
// Enough redraws for every bar to settle: the slowest moves by 0.05 of its height per redraw.
constexpr int kSettlingIdles = 40;

constexpr int kRestProgram = 0; // "Default"
constexpr int kBusyProgram = 7; // "Mix first aid": every stage and the K12 scale at work
// +10 dB of drive: (0.7619 - 1/7) x 42 dB - 36 dB, plus the drive's 20 dB.
constexpr float kBusyInputDrive = 0.7619f;
// Bars 5 and 6 of the demo mix (120 BPM, 2 s bars), after four bars for the slow meters.
constexpr double kBusyFromSeconds = 8.0;
constexpr double kBusyToSeconds = 12.0;
// The loudness picture: this much of the demo mix (or all of it, if shorter).
constexpr double kLoudnessToSeconds = 24.0;

VstIntPtr silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

class PictureSession
{
  public:
    explicit PictureSession(int program, double scale = 1.0)
        : effect(std::make_unique<LimiterEffectEdit>(silentHost))
    {
        effect->setSampleRate(static_cast<float>(kDemoSampleRateHz));
        effect->resume();
        effect->setProgram(program);
        // The history runs on the music's time, however fast it plays here.
        editor().setHistoryClock([this] { return playedSeconds; });
        if (scale != 1.0)
            editor().setHostScaleFactor(scale);
        editor().open(nullptr);
    }
    ~PictureSession() { editor().close(); }

    LimiterEffectEdit& plugin() { return *effect; }
    LimiterEditor& editor()
    {
        return static_cast<VstEditor*>(effect->getEditor())->getLimiterEditor();
    }

    // Plays interleaved stereo frames [first, end) in host-sized blocks, idling the editor
    // between them; afterIdle runs after each idle.
    template <class AfterIdle>
    void play(const std::vector<float>& interleaved, std::size_t first, std::size_t end,
              AfterIdle afterIdle)
    {
        std::vector<float> left(kBlockFrames);
        std::vector<float> right(kBlockFrames);
        int blocksSinceIdle = 0;
        for (std::size_t start = first; start < end; start += kBlockFrames)
        {
            const std::size_t frames = std::min<std::size_t>(kBlockFrames, end - start);
            for (std::size_t frame = 0; frame < frames; ++frame)
            {
                left[frame] = interleaved[2 * (start + frame)];
                right[frame] = interleaved[2 * (start + frame) + 1];
            }
            float* channels[] = {left.data(), right.data()};
            effect->processReplacing(channels, channels, static_cast<VstInt32>(frames));
            playedSeconds += static_cast<double>(frames) / kDemoSampleRateHz;
            if (++blocksSinceIdle == kBlocksPerIdle)
            {
                // As in real time, where the loudness thread keeps up between two idles.
                effect->waitUntilLoudnessMeasured();
                editor().idle();
                afterIdle();
                blocksSinceIdle = 0;
            }
        }
    }

    bool write(const std::string& path)
    {
        CFrame* frame = editor().getFrame();
        if (frame != nullptr && frame->writePng(path.c_str()))
            return true;
        std::fprintf(stderr, "editor_pictures: cannot write %s\n", path.c_str());
        return false;
    }

  private:
    std::unique_ptr<LimiterEffectEdit> effect;
    double playedSeconds = 0.0;
};

std::size_t frameAt(double seconds)
{
    return static_cast<std::size_t>(seconds * kDemoSampleRateHz);
}

bool writeAtRest(const std::string& path)
{
    PictureSession session(kRestProgram);
    const std::size_t frames =
        static_cast<std::size_t>(kSettlingIdles) * kBlocksPerIdle * kBlockFrames;
    session.play(std::vector<float>(2 * frames, 0.0f), 0, frames, [] {});
    session.editor().idle(); // draws what the last meter reads set
    return session.write(path);
}

// The editor draws at each idle what the previous idle read, so the picture of the deepest
// reduction is written one idle after the read that found it.
bool writeBusy(const std::string& path)
{
    PictureSession session(kBusyProgram);
    session.plugin().setParameter(kInputDrive, kBusyInputDrive);
    const std::vector<float> demo = synthesiseDemo(kDemoSampleRateHz);
    float deepestGain = 1.0f;
    bool drawNext = false;
    bool written = false;
    session.play(demo, 0, frameAt(kBusyFromSeconds), [] {});
    session.play(demo, frameAt(kBusyFromSeconds), frameAt(kBusyToSeconds),
                 [&]
                 {
                     if (drawNext)
                         written = session.write(path);
                     drawNext = false;
                     const LimiterEngine& engine = session.plugin();
                     const float gain =
                         std::min(engine.getLimiterGainLeft(), engine.getLimiterGainRight());
                     if (gain < deepestGain)
                     {
                         drawNext = true;
                         deepestGain = gain;
                     }
                 });
    return written;
}
// The loudness panel open (remembered in a scratch settings folder, not the user's), after the
// demo mix played through "Mix first aid" with the drive pushed: the history of the last 10 s
// and the figures since the start.
bool writeLoudness(const std::string& path, double scale)
{
    char folder[] = "/tmp/varnholt-pictures-XXXXXX";
    if (mkdtemp(folder) == nullptr || setenv("XDG_CONFIG_HOME", folder, 1) != 0)
        return false;
    rememberPanelShown(true);
    bool written = false;
    {
        PictureSession session(kBusyProgram, scale);
        session.plugin().setParameter(kInputDrive, kBusyInputDrive);
        const std::vector<float> demo = synthesiseDemo(kDemoSampleRateHz);
        session.play(demo, 0, std::min(demo.size() / 2, frameAt(kLoudnessToSeconds)), [] {});
        session.editor().idle();
        written = session.write(path);
    }
    std::filesystem::remove_all(folder);
    return written;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: editor_pictures FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    // The panel at 200 % only for looking at, where asked for.
    const char* checking = std::getenv("EDITOR_PICTURES_CHECKING_FOLDER");
    return writeAtRest(folder + "/editor-at-rest.png") && writeBusy(folder + "/editor-busy.png") &&
                   writeLoudness(folder + "/editor-loudness.png", 1.0) &&
                   (!checking ||
                    writeLoudness(std::string(checking) + "/editor-loudness-200.png", 2.0))
               ? 0
               : 1;
}
