#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace morvik {
namespace {

// Journals and mount tables: a CR before the LF goes, a last line without LF still counts.
TEST(Text, SplitLinesAtLf) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a\r\n\nb c"), (Lines{"a", "", "b c"}));
    EXPECT_EQ(SplitLines("a\rb\n"), Lines{"a\rb"});
}

// Request names are matched by their last characters in upper case: umlauts are upper-cased too,
// ß stays one character, and a broken byte counts as one character.
TEST(Text, UpperCaseAndLastCharactersForRequestNames) {
    EXPECT_EQ(UpperCase("röntgen äöü straße"), "RÖNTGEN ÄÖÜ STRAßE");
    EXPECT_EQ(LastCharacters("Müller.gdü", 3), "gdü");
    EXPECT_EQ(LastCharacters("a\xFC"
                             "b\xC3",
                             3),
              "\xFC"
              "b\xC3");
    EXPECT_EQ(LastCharacters("ab", 3), "ab");
}

// Names in the order a German reader expects: case does not count, an umlaut sorts beside its
// vowel, ß as ss. The system's own rules on Windows, ICU's elsewhere.
TEST(Text, CompareGermanSortsAsAGermanReaderExpects) {
    const std::vector<std::string> sorted = {
        "abdomen", "Augenhöhle", "Äußeres Ohr", "Becken", "Fußgelenk", "Fusswurzel", "Ösophagus",
        "Ostium",  "Schädel",    "Schambein",   "schräg", "Übersicht", "Unterarm"};
    std::vector<std::string> names(sorted.rbegin(), sorted.rend());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareGerman(a, b) < 0; });
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(CompareGerman("KNIE Links", "knie links"), 0);
    EXPECT_LT(CompareGerman("Abdomen", "Äbdomen"), 0);
}

}  // namespace
}  // namespace morvik
