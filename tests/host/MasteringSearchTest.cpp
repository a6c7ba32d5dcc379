// The drive search against modelled limiters, where the best answer is known in closed form.
#include "host/MasteringSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// A limiter model: below its knee the drive passes straight through; above it the loudness
// grows at `slopeAboveKnee` per dB and the true peak sits at `heldPeakDbtp`; past `overDriveDb`
// the peaks climb again (inter-sample overs) by `peakRisePerDb` per dB.
struct LimiterModel
{
    double inputLufs;
    double inputPeakDbtp;
    double slopeAboveKnee;
    double heldPeakDbtp;
    double overDriveDb;
    double peakRisePerDb;

    double kneeDb() const { return heldPeakDbtp - inputPeakDbtp; }
    double lufs(double driveDb) const
    {
        const double knee = kneeDb();
        return driveDb <= knee ? inputLufs + driveDb
                               : inputLufs + knee + slopeAboveKnee * (driveDb - knee);
    }
    double peak(double driveDb) const
    {
        const double held = std::min(inputPeakDbtp + driveDb, heldPeakDbtp);
        return held + peakRisePerDb * std::max(0.0, driveDb - overDriveDb);
    }
    // The loudness reachable under the ceiling with a trim that only lowers.
    double reach(double driveDb, double ceilingDbtp) const
    {
        return lufs(driveDb) + std::min(0.0, ceilingDbtp - peak(driveDb));
    }
};

SearchOutcome searchModel(const LimiterModel& model, const MasteringGoal& goal)
{
    return searchDriveAndTrim(goal, goal.targetLufs - model.inputLufs,
                              [&](double driveDb, double trimDb)
                              {
                                  return PassFigures{driveDb, trimDb, model.lufs(driveDb) + trimDb,
                                                     model.peak(driveDb) + trimDb};
                              });
}
} // namespace

TEST(MasteringSearch, MeetsReachableGoalsWithTheLeastDriveInFewPasses)
{
    const struct
    {
        const char* name;
        LimiterModel model;
        MasteringGoal goal;
        int maxPasses;
    } cases[] = {
        {"quiet goal, limiter idle", {-20, -6, 0.5, 0.0, 30, 0}, {-23, -2}, 1},
        {"peaky, ceiling binds", {-24, -3, 0.4, 0.0, 30, 0}, {-16, -1}, 4},
        {"dense, hard limiting", {-18, -1, 0.6, 0.0, 30, 0}, {-9, -1}, 6},
        {"overs past a drive", {-18, -1, 0.5, 0.3, 8, 0.8}, {-15, -1}, 5},
        {"soft ceiling of a clipper", {-30, -10, 0.8, -0.5, 14, 1.0}, {-18, -1}, 5},
    };
    for (const auto& test : cases)
    {
        const SearchOutcome outcome = searchModel(test.model, test.goal);
        ASSERT_TRUE(outcome.reached) << test.name;
        const PassFigures& last = outcome.passes.back();
        EXPECT_NEAR(last.loudnessLufs, test.goal.targetLufs, kLoudnessToleranceLu) << test.name;
        EXPECT_LE(last.truePeakDbtp, test.goal.ceilingDbtp) << test.name;
        EXPECT_LE(last.trimDb, 0.0) << test.name;
        // Least drive: half a dB less would not reach the target any more.
        EXPECT_LT(test.model.reach(last.driveDb - 0.5, test.goal.ceilingDbtp), test.goal.targetLufs)
            << test.name;
        EXPECT_LE(static_cast<int>(outcome.passes.size()), test.maxPasses) << test.name;
    }
}

TEST(MasteringSearch, OutOfReachGoalsReportTheLoudestReachable)
{
    const struct
    {
        const char* name;
        LimiterModel model;
        MasteringGoal goal;
        bool driveRunsOut;
    } cases[] = {
        // Loudness stops growing at +20 dB of drive.
        {"drive runs out", {-40, -20, 0.2, 0.0, 40, 0}, {-9, -1}, true},
        // The overs past 6 dB of drive cost more loudness than the drive adds.
        {"overs past the peak", {-18, -1, 0.3, 0.0, 6, 1.5}, {-6, -1}, false},
    };
    for (const auto& test : cases)
    {
        const SearchOutcome outcome = searchModel(test.model, test.goal);
        EXPECT_FALSE(outcome.reached) << test.name;
        EXPECT_EQ(outcome.driveRanOut, test.driveRunsOut) << test.name;
        double loudest = -1e9;
        for (double driveDb = kMinDriveDb; driveDb <= kMaxDriveDb; driveDb += 0.01)
            loudest = std::max(loudest, test.model.reach(driveDb, test.goal.ceilingDbtp));
        EXPECT_NEAR(outcome.loudestLufs, loudest, 0.3) << test.name;
        EXPECT_LE(outcome.loudestLufs, loudest + 1e-9) << test.name;
        EXPECT_LE(outcome.passes.size(), 15u) << test.name;
    }
}

// Inter-sample overs rise and fall with the drive on real material: a local peak of the
// reachable loudness is no reason to stop while the largest drive may still reach the target.
TEST(MasteringSearch, ALocalPeakOfTheLoudnessIsNotTakenForTheLoudest)
{
    const MasteringGoal goal{-11.0, -1.0};
    const auto bump = [](double driveDb) { return driveDb > 12.3 && driveDb < 13.5 ? 0.6 : 0.0; };
    const SearchOutcome outcome =
        searchDriveAndTrim(goal, 12.0,
                           [&](double driveDb, double trimDb)
                           {
                               return PassFigures{driveDb, trimDb, -18.0 + 0.55 * driveDb + trimDb,
                                                  -0.5 + bump(driveDb) + trimDb};
                           });
    ASSERT_TRUE(outcome.reached);
    EXPECT_NEAR(outcome.passes.back().loudnessLufs, goal.targetLufs, kLoudnessToleranceLu);
    EXPECT_LE(outcome.passes.back().truePeakDbtp, goal.ceilingDbtp);
    // The least drive that reaches it, about +13.6 dB, not the largest.
    EXPECT_LT(outcome.passes.back().driveDb, 14.5);
}

TEST(MasteringSearch, GivesUpOnATrimThatNeverLandsAndSaysSo)
{
    // A lossy format, modelled as an error of 0.3 LU that changes sign from render to render,
    // so that each re-trim corrects the last error and meets the opposite one.
    const LimiterModel model{-20, -6, 0.5, 0.0, 30, 0};
    const MasteringGoal goal{-16, -1};
    int renders = 0;
    const SearchOutcome outcome = searchDriveAndTrim(
        goal, 4.0,
        [&](double driveDb, double trimDb)
        {
            const double errorLu = ++renders % 2 == 0 ? 0.3 : -0.3;
            return PassFigures{driveDb, trimDb, model.lufs(driveDb) + trimDb + errorLu,
                               model.peak(driveDb) + trimDb};
        });
    EXPECT_FALSE(outcome.reached);
    EXPECT_TRUE(outcome.trimUnsettled);
    EXPECT_LE(outcome.passes.size(), 15u) << "bounded";
}

TEST(MasteringSearch, ATrimMissedWhenThePassesRunOutIsReportedAsSuch)
{
    // A loudness that jumps past the target at 5 dB of drive takes more passes to bracket than
    // the search has; renders miss their trim by 0.3 LU, alternately up and down.
    const MasteringGoal goal{-14, -1};
    int renders = 0;
    const SearchOutcome outcome = searchDriveAndTrim(
        goal, 12.0,
        [&](double driveDb, double trimDb)
        {
            const double lufs = driveDb < 5.0 ? -20.0 : -12.0;
            const double errorLu = ++renders % 2 == 0 ? 0.3 : -0.3;
            return PassFigures{driveDb, trimDb, lufs + trimDb + errorLu, -6.0 + trimDb};
        });
    ASSERT_GT(outcome.passes.size(), 14u) << "out of passes";
    EXPECT_FALSE(outcome.reached);
    EXPECT_TRUE(outcome.trimUnsettled);
}

TEST(MasteringSearch, SilentDrivesAreSteppedOverWithoutNumbersThatAreNotThere)
{
    // Below a gate the output falls under -70 LUFS and measures no loudness nor peak at all.
    const LimiterModel model{-30, -20, 0.5, 0.0, 40, 0};
    const MasteringGoal goal{-14, -1};
    const struct
    {
        double gateDb;
        double startDriveDb;
    } cases[] = {{15.9, 20.0}, {15.5, -10.0}};
    for (const auto& test : cases)
    {
        const SearchOutcome outcome = searchDriveAndTrim(
            goal, test.startDriveDb,
            [&](double driveDb, double trimDb)
            {
                const double silence = -std::numeric_limits<double>::infinity();
                return driveDb < test.gateDb
                           ? PassFigures{driveDb, trimDb, silence, silence}
                           : PassFigures{driveDb, trimDb, model.lufs(driveDb) + trimDb,
                                         model.peak(driveDb) + trimDb};
            });
        ASSERT_TRUE(outcome.reached) << test.startDriveDb;
        EXPECT_NEAR(outcome.passes.back().loudnessLufs, goal.targetLufs, kLoudnessToleranceLu);
        EXPECT_LE(outcome.passes.size(), 8u) << test.startDriveDb;
        for (const PassFigures& pass : outcome.passes)
            EXPECT_TRUE(std::isfinite(pass.driveDb) && std::isfinite(pass.trimDb));
    }
}
