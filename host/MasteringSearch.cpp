#include "host/MasteringSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// Headroom the computed trim leaves below the ceiling for the quantiser's dither and rounding.
constexpr double kCeilingMarginDb = 0.02;
// A pass is accepted within half the tolerance, so that the written file stays inside it with
// room to spare; a trim that missed by more costs one more pass.
constexpr double kAcceptedErrorLu = kLoudnessToleranceLu / 2.0;
// A drive whose reachable loudness overshoots the target by no more than this is as good as the
// least one: the rest is trimmed away after the limiter.
constexpr double kReachSlackLu = 0.3;
constexpr double kAimAboveTargetLu = kReachSlackLu / 2.0;
// Drives closer than this are not told apart.
constexpr double kDriveResolutionDb = 0.05;
// The loudest point of the drive range is bracketed to this width before giving up on a target.
constexpr double kPeakResolutionDb = 0.5;
constexpr double kLargestDriveStepDb = 12.0;
constexpr double kLimitingPeakDbtp = -1.0;   // untrimmed true peaks above this: the limiter works
constexpr double kSmallestUsefulSlope = 0.1; // LU of loudness per dB of drive
constexpr double kGoldenSection = 0.381966;
constexpr int kMaxPasses = 14;
// Of the drive by which peaks would pass the ceiling, the share a limiter typically costs in
// loudness (from renders of dense and peaky programmes through ours); a first guess only.
constexpr double kOvershootGivenBack = 0.8;
constexpr int kMaxRetrims = 3;

// One drive, reduced to what the trim cannot change.
struct DrivePoint
{
    double driveDb;
    double untrimmedLufs;
    double untrimmedPeakDbtp;
    double reachLufs; // the loudness with the trim holding the ceiling (the trim only lowers)
};

class Search
{
  public:
    Search(const MasteringGoal& searchGoal) : goal(searchGoal) {}

    DrivePoint add(const PassFigures& pass)
    {
        DrivePoint point{pass.driveDb, pass.loudnessLufs - pass.trimDb,
                         pass.truePeakDbtp - pass.trimDb, 0.0};
        point.reachLufs =
            point.untrimmedLufs + std::min(0.0, usableCeiling() - point.untrimmedPeakDbtp);
        auto at = std::lower_bound(points.begin(), points.end(), point.driveDb,
                                   [](const DrivePoint& p, double d) { return p.driveDb < d; });
        if (at != points.end() && std::fabs(at->driveDb - point.driveDb) < 1e-9)
            *at = point; // a re-trim of the same drive
        else
            points.insert(at, point);
        return point;
    }

    bool meets(const PassFigures& pass) const
    {
        return std::fabs(pass.loudnessLufs - goal.targetLufs) <= kAcceptedErrorLu &&
               pass.truePeakDbtp <= goal.ceilingDbtp;
    }

    bool reaches(const DrivePoint& point) const { return point.reachLufs >= goal.targetLufs; }

    // No drive noticeably below this one reaches the target.
    bool isLeastDrive(const DrivePoint& point) const
    {
        if (!reaches(point))
            return false;
        if (point.reachLufs - goal.targetLufs <= kReachSlackLu || point.driveDb <= kMinDriveDb)
            return true;
        const DrivePoint* below = nearestBelow(point.driveDb);
        return below != nullptr && point.driveDb - below->driveDb <= kDriveResolutionDb;
    }

    double trimFor(const DrivePoint& point) const
    {
        return std::clamp(goal.targetLufs - point.untrimmedLufs, kMinTrimDb, kMaxTrimDb);
    }

    // The trim a drive would need, predicted from the nearest drive tried, so that a pass
    // whose prediction holds is already the answer.
    double predictedTrim(double driveDb) const
    {
        // A silent drive measures nothing to predict from.
        const DrivePoint* nearest = nullptr;
        for (const DrivePoint& point : points)
        {
            if (std::isfinite(point.untrimmedLufs) &&
                (nearest == nullptr ||
                 std::fabs(point.driveDb - driveDb) < std::fabs(nearest->driveDb - driveDb)))
                nearest = &point;
        }
        if (nearest == nullptr)
            return kMaxTrimDb;
        const double distanceDb = driveDb - nearest->driveDb;
        const double lufs = nearest->untrimmedLufs +
                            distanceDb * slopeAround(*nearest, &DrivePoint::untrimmedLufs, 1.0);
        // Once the limiter holds the peaks near full scale, more drive raises the loudness,
        // not the peak.
        const double peakSlope = nearest->untrimmedPeakDbtp > kLimitingPeakDbtp ? 0.0 : 1.0;
        const double peakDbtp =
            nearest->untrimmedPeakDbtp +
            distanceDb * slopeAround(*nearest, &DrivePoint::untrimmedPeakDbtp, peakSlope);
        return std::clamp(std::min(goal.targetLufs - lufs, usableCeiling() - peakDbtp), kMinTrimDb,
                          kMaxTrimDb);
    }

    // The next drive to try, or NaN when none can help.
    double nextDrive(bool& driveRanOut) const
    {
        const double aim = goal.targetLufs + kAimAboveTargetLu;
        const DrivePoint* leastReaching = nullptr;
        for (const DrivePoint& point : points)
        {
            if (reaches(point))
            {
                leastReaching = &point;
                break;
            }
        }
        if (leastReaching != nullptr)
            return towardsLeastDrive(*leastReaching, aim);

        // Of equals (all silent, say), the largest drive: more drive is the way out.
        auto loudest = points.begin();
        for (auto point = points.begin(); point != points.end(); ++point)
            if (!(point->reachLufs < loudest->reachLufs))
                loudest = point;
        const bool isLast = loudest + 1 == points.end();
        if (isLast)
        {
            if (loudest->driveDb >= kMaxDriveDb)
            {
                driveRanOut = true;
                return std::nan("");
            }
            const double slope = slopeAround(*loudest, &DrivePoint::reachLufs, 1.0);
            const double step = slope > kSmallestUsefulSlope ? (aim - loudest->reachLufs) / slope
                                                             : kLargestDriveStepDb / 4.0;
            return std::min(kMaxDriveDb,
                            loudest->driveDb +
                                std::clamp(step, kDriveResolutionDb * 4.0, kLargestDriveStepDb));
        }
        // Past the loudest drive: narrow the bracket around it.
        const DrivePoint& after = *(loudest + 1);
        if (loudest == points.begin())
        {
            if (loudest->driveDb <= kMinDriveDb)
                return std::nan("");
            return std::max(kMinDriveDb, loudest->driveDb - (after.driveDb - loudest->driveDb));
        }
        const DrivePoint& before = *(loudest - 1);
        // A bump of the true peak can make a local peak of the loudness; only the largest drive
        // tells whether more drive gets louder after all.
        if (after.driveDb - before.driveDb <= 2.0 * kPeakResolutionDb)
            return points.back().driveDb < kMaxDriveDb ? kMaxDriveDb : std::nan("");
        const bool rightIsWider =
            after.driveDb - loudest->driveDb > loudest->driveDb - before.driveDb;
        const double far = rightIsWider ? after.driveDb : before.driveDb;
        return loudest->driveDb + kGoldenSection * (far - loudest->driveDb);
    }

    double loudestReach() const
    {
        double loudest = -std::numeric_limits<double>::infinity();
        for (const DrivePoint& point : points)
            loudest = std::max(loudest, point.reachLufs);
        return loudest;
    }

    const DrivePoint* leastReaching() const
    {
        for (const DrivePoint& point : points)
            if (reaches(point))
                return &point;
        return nullptr;
    }

  private:
    double usableCeiling() const { return goal.ceilingDbtp - kCeilingMarginDb; }

    const DrivePoint* nearestBelow(double driveDb) const
    {
        const DrivePoint* below = nullptr;
        for (const DrivePoint& point : points)
            if (point.driveDb < driveDb)
                below = &point;
        return below;
    }

    // A figure's change per dB of drive from the point's neighbours; `fallback` with none.
    double slopeAround(const DrivePoint& point, double DrivePoint::*figure, double fallback) const
    {
        const DrivePoint* below = nearestBelow(point.driveDb);
        const DrivePoint* above = nullptr;
        for (const DrivePoint& candidate : points)
        {
            if (candidate.driveDb > point.driveDb)
            {
                above = &candidate;
                break;
            }
        }
        const DrivePoint* other = below != nullptr ? below : above;
        if (other == nullptr)
            return fallback;
        const double slope = (point.*figure - other->*figure) / (point.driveDb - other->driveDb);
        return std::isfinite(slope) ? slope : fallback; // a silent neighbour has no slope
    }

    double towardsLeastDrive(const DrivePoint& reaching, double aim) const
    {
        const DrivePoint* below = nearestBelow(reaching.driveDb);
        if (below == nullptr)
        {
            const double slope =
                std::max(slopeAround(reaching, &DrivePoint::reachLufs, 1.0), kSmallestUsefulSlope);
            const double step = std::min((reaching.reachLufs - aim) / slope, kLargestDriveStepDb);
            return std::max(kMinDriveDb, reaching.driveDb - step);
        }
        // Between a drive that falls short and one that reaches: interpolate, kept inside.
        const double span = reaching.driveDb - below->driveDb;
        const double fraction = (aim - below->reachLufs) / (reaching.reachLufs - below->reachLufs);
        // A silent drive below (no loudness at all) leaves nothing to interpolate: halve.
        if (!std::isfinite(fraction))
            return below->driveDb + span / 2.0;
        return below->driveDb + span * std::clamp(fraction, 0.1, 0.9);
    }

    MasteringGoal goal;
    std::vector<DrivePoint> points; // by drive
};
} // namespace

double firstDriveGuessDb(const MasteringGoal& goal, double inputLufs, double inputPeakDbtp)
{
    const double loudnessDriveDb = goal.targetLufs - inputLufs;
    const double overshootDb = inputPeakDbtp + loudnessDriveDb - goal.ceilingDbtp;
    return loudnessDriveDb + kOvershootGivenBack * std::max(0.0, overshootDb);
}

SearchOutcome searchDriveAndTrim(const MasteringGoal& goal, double startDriveDb,
                                 const RunPass& runPass)
{
    SearchOutcome outcome;
    Search search(goal);
    double driveDb = std::clamp(startDriveDb, kMinDriveDb, kMaxDriveDb);
    double trimDb = kMaxTrimDb;
    int retrims = 0;
    while (static_cast<int>(outcome.passes.size()) < kMaxPasses)
    {
        const PassFigures pass = runPass(driveDb, trimDb);
        outcome.passes.push_back(pass);
        const DrivePoint point = search.add(pass);
        outcome.loudestLufs = search.loudestReach();
        const bool least = search.isLeastDrive(point);
        if (least && search.meets(pass))
        {
            outcome.reached = true;
            return outcome;
        }
        if (least)
        {
            // The drive is right; the trim missed (quantisation, dither): correct it by the
            // error measured.
            if (++retrims > kMaxRetrims)
            {
                outcome.trimUnsettled = true;
                return outcome;
            }
            const double peakRoom = goal.ceilingDbtp - kCeilingMarginDb - pass.truePeakDbtp;
            trimDb =
                std::clamp(pass.trimDb + std::min(goal.targetLufs - pass.loudnessLufs, peakRoom),
                           kMinTrimDb, kMaxTrimDb);
            continue;
        }
        const double next = search.nextDrive(outcome.driveRanOut);
        if (std::isnan(next))
            return outcome;
        driveDb = next;
        trimDb = search.predictedTrim(driveDb);
    }
    // Out of passes: settle on the least drive seen to reach the target, if any.
    if (const DrivePoint* reaching = search.leastReaching())
    {
        const PassFigures pass = runPass(reaching->driveDb, search.trimFor(*reaching));
        outcome.passes.push_back(pass);
        outcome.reached = search.meets(pass);
        // That drive reaches the target: only its trim missed.
        outcome.trimUnsettled = !outcome.reached;
    }
    return outcome;
}
