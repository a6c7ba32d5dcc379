#include <gtest/gtest.h>

#include <cstring>

#include "vst/TextCopy.h"

TEST(TextCopy, NeverWritesPastTheBufferAndAlwaysTerminates)
{
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    copyText(buffer, "Varnholt Pro", 5);
    EXPECT_STREQ(buffer, "Varn");
    EXPECT_EQ(buffer[5], '#');

    copyText(buffer, "VH", sizeof buffer);
    EXPECT_STREQ(buffer, "VH");
    copyText(buffer, nullptr, sizeof buffer);
    EXPECT_STREQ(buffer, "");

    std::memset(buffer, '#', sizeof buffer);
    copyText(buffer, "abc", 0);
    copyText(nullptr, "abc", 8);
    EXPECT_EQ(buffer[0], '#');
}
