#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "gdt/GdtLine.h"

namespace morvik {
namespace {

TEST(CreateGDTLine, BuildsTheExactBytes) {
    struct Case {
        std::string field, content, expected;
    };
    const Case cases[] = {
        {"3101", "", ""},
        {"6227", std::string(90, 'a'), "0996227" + std::string(90, 'a') + "\r\n"},
        {"6227", std::string(91, 'a'), "1006227" + std::string(91, 'a') + "\r\n"},
        // Umlauts are one byte each in the file and counted as one.
        {"8402", "Röntgen", "0168402R\xF6ntgen\r\n"},
        // The field identifier is not checked; the length still assumes four characters.
        {"62", "abc", "01262abc\r\n"},
        // A line break in the content becomes a further line of the same field.
        {"6227", "a\nb\rc", "0106227a\r\n0106227b\r\n0106227c\r\n"},
        {"6227", "a\r\n\r\nb", "0106227a\r\n0106227b\r\n"}};
    for (const Case& c : cases) EXPECT_EQ(CreateGDTLine(c.field, c.content), c.expected);
}

// A line holds at most 999 bytes; longer content goes on in further lines of the same field.
TEST(CreateGDTLine, LongContentIsSplitIntoLinesOfAtMost999Bytes) {
    const std::string head(990, 'a');
    EXPECT_EQ(CreateGDTLine("6227", head), "9996227" + head + "\r\n");
    EXPECT_EQ(CreateGDTLine("6227", head + head + "xyz"),
              "9996227" + head + "\r\n9996227" + head + "\r\n0126227xyz\r\n");
}

TEST(CreateGUID, WindowsTextFormAndFreshEachTime) {
    const std::regex form(
        "[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{2}4[0-9A-F]-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        std::string id = CreateGUID();
        ASSERT_TRUE(std::regex_match(id, form)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
}  // namespace morvik
