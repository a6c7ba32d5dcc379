// The screen scale steps and the desktop's scale from GDK_SCALE; Xft.dpi is read from a real
// X server in the editor's X11 tests.
#include "toolkit/ScaleFactor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace
{
// Sets an environment variable for the scope and puts back what was there.
class ScopedEnvironment
{
  public:
    ScopedEnvironment(const char* name, const char* value) : name(name)
    {
        if (const char* previous = std::getenv(name))
            saved = previous;
        hadValue = std::getenv(name) != nullptr;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (hadValue)
            setenv(name, saved.c_str(), 1);
        else
            unsetenv(name);
    }

  private:
    const char* name;
    std::string saved;
    bool hadValue = false;
};
} // namespace

TEST(ScaleFactor, FactorsComeToTheNearestQuarterStepWithinOneToThree)
{
    const struct
    {
        double factor, step;
    } cases[] = {{1.0, 1.0},  {1.1, 1.0},         {1.125, 1.25},     {1.3, 1.25},
                 {1.5, 1.5},  {120 / 96.0, 1.25}, {144 / 96.0, 1.5}, {192 / 96.0, 2.0},
                 {2.9, 3.0},  {7.0, 3.0},         {0.5, 1.0},        {0.0, 1.0},
                 {-2.0, 1.0}, {std::nan(""), 1.0}};
    for (const auto& entry : cases)
        EXPECT_EQ(nearestScaleFactor(entry.factor), entry.step) << entry.factor;
}

TEST(ScaleFactor, GdkScaleOverridesTheDesktopAndGarbageIsIgnored)
{
    ScopedEnvironment noDisplay("DISPLAY", nullptr); // no Xft.dpi to fall back on: 1
    const struct
    {
        const char* gdkScale;
        double factor;
    } cases[] = {{"2", 2.0}, {"1.5", 1.5}, {"3", 3.0},  {"4", 3.0}, {nullptr, 1.0},
                 {"", 1.0},  {"two", 1.0}, {"2x", 1.0}, {"0", 1.0}, {"-2", 1.0}};
    for (const auto& entry : cases)
    {
        ScopedEnvironment gdk("GDK_SCALE", entry.gdkScale);
        EXPECT_EQ(desktopScaleFactor(), entry.factor)
            << (entry.gdkScale ? entry.gdkScale : "unset");
    }
}
