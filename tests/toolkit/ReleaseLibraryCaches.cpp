// At exit, empties cairo's and fontconfig's process-wide caches (toy fonts, configuration), so
// the leak checker of the sanitizer build reports only what the toolkit itself leaves behind.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace
{
class ReleaseLibraryCaches : public ::testing::Environment
{
  public:
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new ReleaseLibraryCaches);
} // namespace
