// Automation playback calls the effect's setParameter on the host's audio thread while the GUI
// thread idles the editor. Run under ThreadSanitizer (label threading), this shows that the
// editor touches no view from the audio thread.
#include "EditorTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace
{
constexpr long kScalePk = 13, kSideGainKnob = 19;
constexpr int kSteps = 2000;
constexpr int kBlockFrames = 64;
} // namespace

TEST(EditorThreading, AutomationFromTheAudioThreadArrivesAtTheIdles)
{
    EditorFixture fixture;
    fixture.openHeadless();
    std::atomic<bool> done{false};
    std::thread audio(
        [&]
        {
            for (int step = 0; step <= kSteps; ++step)
            {
                fixture.effect().setParameter(4, static_cast<float>(step) / kSteps);
                fixture.effect().setParameter(1, static_cast<float>(step % 4) / 4.0f);
                fixture.process(0.5f, 0.5f, kBlockFrames); // the meters move meanwhile
            }
            done = true;
        });
    while (!done)
        fixture.idle();
    audio.join();
    fixture.idle();
    EXPECT_EQ(fixture.view<CControl>(kSideGainKnob)->getValue(), 1.0f);
    EXPECT_EQ(fixture.view<CControl>(kScalePk)->getValue(), 1.0f) << "the last step selects PK";
}
