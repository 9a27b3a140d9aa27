#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "gdt/GdtLine.h"

namespace morvik {
namespace {

struct LineCase {
    std::string field;
    std::string content;
    std::string expected;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.field << ":" << c.content.substr(0, 20);
}

class CreateGDTLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(CreateGDTLineTest, BuildsTheExactBytes) {
    EXPECT_EQ(CreateGDTLine(GetParam().field, GetParam().content), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CreateGDTLineTest,
    ::testing::Values(
        LineCase{"3101", "Muster", "0153101Muster\r\n"}, LineCase{"3101", "", ""},
        LineCase{"8315", "X", "0108315X\r\n"},
        LineCase{"6227", std::string(90, 'a'), "0996227" + std::string(90, 'a') + "\r\n"},
        LineCase{"6227", std::string(91, 'a'), "1006227" + std::string(91, 'a') + "\r\n"},
        // Umlauts are one byte each in the file and counted as one.
        LineCase{"8402", "Röntgen", "0168402R\xF6ntgen\r\n"},
        LineCase{"3101", "Müller", "0153101M\xFCller\r\n"},
        // The field identifier is not checked; the length still assumes four characters.
        LineCase{"62", "abc", "01262abc\r\n"},
        // Trailing blanks, commas and bars are content like any other.
        LineCase{"8750", "T01|K02 ", "0178750T01|K02 \r\n"},
        // A line break in the content becomes a further line of the same field.
        LineCase{"6227", "links\r\nbitte liegend", "0146227links\r\n0226227bitte liegend\r\n"},
        LineCase{"6227", "a\nb\rc", "0106227a\r\n0106227b\r\n0106227c\r\n"},
        LineCase{"6227", "a\r\n\r\nb", "0106227a\r\n0106227b\r\n"}, LineCase{"6227", "\r\n", ""}));

TEST(CreateGDTLine, LongContentIsSplitIntoLinesOfAtMost999BytesWithNothingLost) {
    std::string content;
    for (int i = 0; i < 2500; ++i) content.push_back(static_cast<char>('a' + i % 26));
    std::string lines = CreateGDTLine("6227", content);
    std::string rebuilt;
    std::size_t pos = 0;
    int count = 0;
    while (pos < lines.size()) {
        int length = std::stoi(lines.substr(pos, 3));
        ASSERT_LE(length, 999);
        ASSERT_EQ(lines.substr(pos + 3, 4), "6227");
        ASSERT_EQ(lines.substr(pos + length - 2, 2), "\r\n");
        rebuilt += lines.substr(pos + 7, length - 9);
        pos += length;
        ++count;
    }
    EXPECT_EQ(count, 3);
    EXPECT_EQ(rebuilt, content);
    EXPECT_EQ(CreateGDTLine("6227", std::string(990, 'x')).size(), 999u);
    EXPECT_EQ(CreateGDTLine("6227", std::string(991, 'x')).size(), 999u + 10u);
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
