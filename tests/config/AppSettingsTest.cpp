#include "config/AppSettings.h"

#include <gtest/gtest.h>

#include "base/AppError.h"
#include "config/SettingsTable.h"
#include "support/ProgramFolder.h"
#include "support/SettingsFile.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class AppSettingsTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    AppSettings load() { return LoadAppSettings(program.path(), log); }
    void settingsFile(const std::string& body) { test::WriteSettings(program.path(), body); }
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
            EXPECT_EQ(e.Number(), 13) << text;
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
    EXPECT_EQ(s.modalityNames[0], "CT");
    EXPECT_TRUE(s.withoutBodyParts[0]);  // default of index 0
    EXPECT_FALSE(s.konica);              // default
    EXPECT_EQ(s.modalityNames[2], "");
    EXPECT_EQ(s.modalityNames[5], "MRT");
    EXPECT_EQ(s.sourceFolder, "/praxis/in");
    EXPECT_TRUE(s.accession);
    EXPECT_EQ(s.commentField, "6220");
    const auto errors = test::LoggedErrors(log);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].number, 13);
    EXPECT_TRUE(errors[0].loggedUnder("Form_Load")) << errors[0].text;
}

// Every key of the table: missing, it reads as its default; present, it fills its own member and
// no other; the dialog's keys are written in their stored form and read back the same.
TEST_F(AppSettingsTest, EveryKeyFillsItsOwnMemberAndIsWrittenBackAsStored) {
    settingsFile("");
    const AppSettings defaults = load();
    for (const Setting& row : SettingsTable()) {
        const bool text = row.kind == Setting::Kind::Text;
        if (text) {
            EXPECT_EQ(row.Text(defaults), row.defaultValue) << row.key;
        } else {
            EXPECT_EQ(row.Truth(defaults), row.defaultValue == "1") << row.key;
        }
        const std::string stored = text ? "Wert " + row.key : row.defaultValue == "1" ? "0" : "1";
        const bool worklist = row.section == kWorklistSection;
        settingsFile((worklist ? "[Worklist]\r\n" : "") + row.key + "=" + stored + "\r\n");
        AppSettings expected = defaults;
        if (text) {
            row.Text(expected) = stored;
        } else {
            row.Truth(expected) = stored == "1";
        }
        const AppSettings read = load();
        EXPECT_EQ(read, expected) << row.key;
        if (row.saveOrder == 0) continue;
        // The worklist's section is written where the file has it (SaveOnlyAddsTheWorklist...).
        if (!worklist) std::filesystem::remove(program / "Settings.ini");
        SaveOptionSettings(read, program.path());
        EXPECT_NE(
            ReadBytes(program / "Settings.ini").find("\r\n" + row.key + "=" + stored + "\r\n"),
            std::string::npos)
            << row.key;
        EXPECT_EQ(load(), read) << row.key;
    }
    EXPECT_TRUE(test::Logged(log, {}));
}

TEST_F(AppSettingsTest, InitialsAreWrittenAlsoWhenEmpty) {
    settingsFile("Kuerzel=MK\r\nSuffix=gdt\r\n");
    SaveInitials("", program.path());
    EXPECT_EQ(ReadBytes(program / "Settings.ini"), "[GDTService]\r\nKuerzel=\r\nSuffix=gdt\r\n");
    EXPECT_EQ(load().initials, "");
}

// A practice that never turned the worklist on keeps its file without the section: saving adds
// it once the worklist is on, and from then on keeps it up to date, on or off. The days stay the
// setting's only when they are a sensible number.
TEST_F(AppSettingsTest, SaveOnlyAddsTheWorklistSectionOnceItIsUsed) {
    settingsFile("GDTQuell=/praxis/in\r\n");
    AppSettings s = load();
    SaveOptionSettings(s, program.path());
    EXPECT_EQ(ReadBytes(program / "Settings.ini").find("[Worklist]"), std::string::npos);

    s.worklistEnabled = true;
    s.worklistFolder = "/srv/worklist/MORVIK";
    SaveOptionSettings(s, program.path());
    s.worklistEnabled = false;
    SaveOptionSettings(s, program.path());
    const std::string file = ReadBytes(program / "Settings.ini");
    EXPECT_NE(file.find("[Worklist]\r\nAktiv=0\r\nOrdner=/srv/worklist/MORVIK\r\n"),
              std::string::npos)
        << file;
    EXPECT_EQ(load(), s);

    for (const auto& [text, days] : std::vector<std::pair<std::string, int>>{{"14", 14},
                                                                             {" 1 ", 1},
                                                                             {"3650", 3650},
                                                                             {"0", 7},
                                                                             {"3651", 7},
                                                                             {"-3", 7},
                                                                             {"", 7},
                                                                             {"zwei", 7},
                                                                             {"99999999999", 7}}) {
        s.worklistKeepDays = text;
        EXPECT_EQ(WorklistKeepDays(s), days) << text;
    }
}

}  // namespace
}  // namespace morvik
