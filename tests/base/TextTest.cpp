#include "base/Text.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

// Journals and mount tables: a CR before the LF goes, a last line without LF still counts.
TEST(Text, SplitLinesAtLf) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a\r\n\nb c"), (Lines{"a", "", "b c"}));
    EXPECT_EQ(SplitLines("a\rb\n"), Lines{"a\rb"});
}

}  // namespace
}  // namespace morvik
