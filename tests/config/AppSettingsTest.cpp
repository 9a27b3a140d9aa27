#include "config/AppSettings.h"

#include <gtest/gtest.h>

#include "base/AppError.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class AppSettingsTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    AppSettings load() { return LoadAppSettings(program.path(), log); }
    void settingsFile(const std::string& body) {
        WriteBytes(program / "Settings.ini", "[GDTService]\r\n" + body);
    }
};

// Numbers as VB reads them (blanks around them allowed; &H hexadecimal, &O octal, exponents) and
// the words True and False, as the file stores them.
TEST(ToBool, ConvertsNumbersAndTheTwoWordsAndRejectsAnythingElse) {
    const std::pair<const char*, bool> accepted[] = {
        {"1", true},     {"0", false},    {"2", true},       {"-1", true},     {" 0 ", false},
        {"\t1\t", true}, {"TRUE", true},  {"true", true},    {"False", false}, {"0.0", false},
        {"1.5", true},   {"+3", true},    {"&H10", true},    {"&h0", false},   {"&O7", true},
        {"1E+3", true},  {"0e-2", false}, {"\v-0.5\v", true}};
    for (const auto& [text, value] : accepted) EXPECT_EQ(ToBool(text), value) << text;
    for (const char* text : {"",    "ja",  "1x",    "wahr", " ",   "nan", "inf",         "0x1",
                             "yes", "no",  "on",    "off",  "t",   ".5",  "1.2.3",       "- 1",
                             "1E",  "1E+", "1E400", "&H",   "&HG", "&O8", "&H100000000", "-&H1"}) {
        try {
            ToBool(text);
            ADD_FAILURE() << "accepted \"" << text << "\"";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), 13) << text;
        }
    }
}

// A bad truth value takes its default and the keys after it are still read; an empty
// modality name stays empty.
TEST_F(AppSettingsTest, MistypedTruthValueTakesItsDefaultAndTheRestIsStillRead) {
    settingsFile(
        "Modalitaet0=CT\r\nBodypart0=\r\nKonica=ja\r\nGDTQuell=/praxis/in\r\nModalitaet2=\r\n"
        "Modalitaet5=MRT\r\nAcc=1\r\nCommentField=6220\r\n");
    AppSettings s = load();
    EXPECT_EQ(s.Modalitaet[0], "CT");
    EXPECT_TRUE(s.Bodypart[0]);  // default of index 0
    EXPECT_FALSE(s.Konica);      // default
    EXPECT_EQ(s.Modalitaet[2], "");
    EXPECT_EQ(s.Modalitaet[5], "MRT");
    EXPECT_EQ(s.GDTQuell, "/praxis/in");
    EXPECT_TRUE(s.Acc);
    EXPECT_EQ(s.CommentField, "6220");
    const auto errors = test::LoggedErrors(log);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].number, 13);
    EXPECT_TRUE(errors[0].loggedUnder("Form_Load")) << errors[0].text;
}

TEST_F(AppSettingsTest, KuerzelIsWrittenAlsoWhenEmpty) {
    settingsFile("Kuerzel=MK\r\nSuffix=gdt\r\n");
    SaveKuerzel("", program.path());
    EXPECT_EQ(ReadBytes(program / "Settings.ini"), "[GDTService]\r\nKuerzel=\r\nSuffix=gdt\r\n");
    EXPECT_EQ(load().Kuerzel, "");
}

}  // namespace
}  // namespace morvik
