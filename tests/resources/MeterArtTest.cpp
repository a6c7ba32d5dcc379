#include "DecodedBitmap.h"

#include <cmath>

namespace
{
constexpr int kStripColumn = 4;
constexpr int kStripRows = 253;

bool isRed(Rgba c)
{
    return c.red > 180 && c.green < 100;
}
bool isOrange(Rgba c)
{
    return c.red > 180 && c.green >= 100 && c.green < 170;
}
bool isYellow(Rgba c)
{
    return c.red > 180 && c.green >= 170;
}
bool isGreen(Rgba c)
{
    return c.green > 120 && c.red < 120;
}

// Row of a 253-row strip at which a level in -36..0 dBFS begins: the meter's top six sevenths
// span 36 dB, so a decibel is 253 / 42 rows.
double rowForDb(double db)
{
    return -db * kStripRows / 42.0;
}

Rgba stripRow(const DecodedBitmap& strip, int row)
{
    return strip.pixel(kStripColumn, row);
}

struct ScaleStrip
{
    int id;
    double redAboveDb;
    double greenUpToDb;
};

TEST(MeterStrips, ZonesSitWhereTheMeterLawPutsTheirLevels)
{
    const ScaleStrip strips[] = {
        {1028, -3.0, -17.0}, {1029, -7.0, -12.0}, {1030, -8.4, -14.0}, {1031, -13.7, -20.0}};
    for (const ScaleStrip& scale : strips)
    {
        SCOPED_TRACE(scale.id);
        DecodedBitmap strip(scale.id);
        ASSERT_TRUE(strip.decoded());
        const double redRow = rowForDb(scale.redAboveDb);
        const double greenRow = rowForDb(scale.greenUpToDb);
        EXPECT_TRUE(isRed(stripRow(strip, 0)));
        EXPECT_TRUE(isRed(stripRow(strip, int(std::floor(redRow)) - 1)));
        EXPECT_FALSE(isRed(stripRow(strip, int(std::ceil(redRow)) + 1)));
        EXPECT_FALSE(isGreen(stripRow(strip, int(std::floor(greenRow)) - 1)));
        EXPECT_TRUE(isGreen(stripRow(strip, int(std::ceil(greenRow)) + 1)));
        EXPECT_TRUE(isGreen(stripRow(strip, kStripRows - 1)));
    }
}

TEST(MeterStrips, PeakScaleTurnsOrangeFromMinus5AndYellowFromMinus17)
{
    DecodedBitmap strip(1028);
    ASSERT_TRUE(strip.decoded());
    EXPECT_TRUE(isOrange(stripRow(strip, int(std::ceil(rowForDb(-3.0))) + 1)));
    EXPECT_TRUE(isOrange(stripRow(strip, int(std::floor(rowForDb(-5.0))) - 1)));
    EXPECT_TRUE(isYellow(stripRow(strip, int(std::ceil(rowForDb(-5.0))) + 1)));
    EXPECT_TRUE(isYellow(stripRow(strip, int(std::floor(rowForDb(-17.0))) - 1)));
}

TEST(MeterStrips, UnlitStripIsDarkGreyAndInvertedStripRunsGreenToRed)
{
    DecodedBitmap unlit(1027);
    ASSERT_TRUE(unlit.decoded());
    for (int row : {0, 126, kStripRows - 1})
    {
        const Rgba c = stripRow(unlit, row);
        EXPECT_LT(std::max({c.red, c.green, c.blue}), 80) << row;
        EXPECT_LT(std::abs(c.red - c.blue), 16) << row;
    }

    DecodedBitmap inverted(1036);
    ASSERT_TRUE(inverted.decoded());
    EXPECT_TRUE(isGreen(stripRow(inverted, 0)));
    EXPECT_TRUE(isYellow(stripRow(inverted, kStripRows * 36 / 100)));
    EXPECT_TRUE(isOrange(stripRow(inverted, kStripRows * 68 / 100)));
    EXPECT_TRUE(isRed(stripRow(inverted, kStripRows - 1)));
}

bool isTick(const DecodedBitmap& legend, int x, int row)
{
    const Rgba background = legend.pixel(x, 130);
    const Rgba c = legend.pixel(x, row);
    return c.red > background.red + 30;
}

// The legend view starts two rows above the meters, so a level's tick is two rows lower in the
// legend than in the strip.
TEST(DbLegends, ZeroSitsBesideTheScaleReferenceLevel)
{
    const struct
    {
        int id;
        double referenceDb;
    } legends[] = {{1032, 0.0}, {1033, -12.0}, {1034, -14.0}, {1035, -20.0}};
    for (const auto& scale : legends)
    {
        SCOPED_TRACE(scale.id);
        DecodedBitmap legend(scale.id);
        ASSERT_TRUE(legend.decoded());
        const int referenceRow = 2 + int(std::lround(rowForDb(scale.referenceDb)));
        for (int x : {0, legend.width() - 1})
        {
            EXPECT_TRUE(isTick(legend, x, referenceRow));
            EXPECT_FALSE(isTick(legend, x, referenceRow + 3));
            EXPECT_FALSE(isTick(legend, x, referenceRow + 4));
        }
        EXPECT_TRUE(isTick(legend, 0, 2)) << "full scale is marked at the top";
        // -70 dBFS, in the law's bottom seventh: (1 - 2/252) of the way down.
        EXPECT_TRUE(isTick(legend, 0, 2 + int(std::lround(kStripRows * 250.0 / 252.0))));
    }
}

TEST(PanelSeams, OpaqueBitmapsMatchThePanelBehindThem)
{
    DecodedBitmap panel(1024);
    DecodedBitmap legend(1032);
    DecodedBitmap display(1043);
    DecodedBitmap track(1025);
    ASSERT_TRUE(panel.decoded() && legend.decoded() && display.decoded() && track.decoded());
    // Legend view at (346, 69), status line at (209, 19), word-length menu at (390, 19), drive
    // fader at (181, 55): each bitmap's plain background equals the panel around its view.
    EXPECT_TRUE(sameColour(legend.pixel(1, 10), panel.pixel(345, 79)));
    EXPECT_TRUE(sameColour(display.pixel(0, 0), panel.pixel(200, 24)));
    EXPECT_TRUE(sameColour(display.pixel(34, 9), panel.pixel(424, 28)));
    EXPECT_TRUE(sameColour(track.pixel(0, 5), panel.pixel(197, 60)));
}
} // namespace
