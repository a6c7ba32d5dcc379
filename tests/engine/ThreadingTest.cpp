// One thread processes while another sets parameters, reads meters and resets held peaks, as
// the host's audio and user-interface threads do. Run under ThreadSanitizer it must report no
// race; in any build the output must stay finite and within the clamp.

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace engine_test;

TEST(Threading, ProcessingWhileAnotherThreadSetsReadsAndResets)
{
    LimiterEngine engine;
    std::atomic<bool> done{false};
    std::atomic<bool> bad{false};

    std::thread audio(
        [&]
        {
            for (int i = 0; i < 400000; ++i)
            {
                const float x = float(1.5 * std::sin(i * 0.01));
                engine.processSample(x, -0.5f * x);
                const float left = engine.getOutputLeft();
                if (!std::isfinite(left) || std::fabs(left) > 1.5f)
                    bad = true;
            }
            done = true;
        });

    float sink = 0.0f;
    for (int round = 0; !done; ++round)
    {
        const float v = float(round % 100) / 100.0f;
        engine.setOutputGain(0.5f + v);
        engine.setInputGain(0.5f + v * 2.0f);
        engine.setSideGain(v);
        engine.setCorrelationTime(v * 0.5f);
        engine.setCorrelationThreshold(v * 2.0f - 1.0f);
        engine.setEnvelopeHysteresis(v * 0.2f);
        engine.setEnvelopeRelease(v * 0.2f);
        engine.setStereoLink(v);
        engine.setSoftclipThreshold(v * 20.0f - 10.0f);
        engine.setSoftclipAmount(v);
        engine.setRmsAttack(v * 0.5f);
        engine.setRmsRelease(v * 0.5f);
        engine.setRmsThreshold(v * 20.0f - 10.0f);
        engine.setInterSamplePeak(round % 2 == 0);
        engine.setDitherBits(round % 3 == 0 ? 16 : 64);
        if (round % 50 == 0)
            engine.setBypassed(round % 100 == 0);
        engine.resetPeakHold();
        for (const float reading : meterReadings(engine))
            sink += reading;
        sink +=
            engine.getPeakHoldDbLeft() + engine.getPeakHoldDbRight() + float(engine.getLookAhead());
    }
    audio.join();
    EXPECT_FALSE(bad);
    EXPECT_FALSE(std::isnan(sink));
}
