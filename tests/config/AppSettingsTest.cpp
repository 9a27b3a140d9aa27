#include <gtest/gtest.h>

#include "base/AppError.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "diag/ErrorLog.h"
#include "support/FixedClock.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::CrLfLines;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

class AppSettingsTest : public ::testing::Test {
  protected:
    AppSettings load() { return LoadAppSettings(program.path(), log); }
    void settingsFile(const std::string& body) {
        WriteBytes(program / "Settings.ini", "[GDTService]\r\n" + body);
    }

    TempFolder program;
    test::FixedClock clock;
    ErrorLog log{program.path(), clock};
};

TEST_F(AppSettingsTest, NoFileGivesTheDefaults) {
    AppSettings s = load();
    EXPECT_EQ(s.Modalitaet,
              (std::array<std::string, 6>{"Scan", "Röntgen", "Modalität 3", "Modalität 4",
                                          "Modalität 5", "Modalität 6"}));
    EXPECT_EQ(s.Bodypart, (std::array<bool, 6>{true, false, false, false, false, false}));
    EXPECT_EQ(s.Suffix, "gdt");
    EXPECT_EQ(s.CommentField, "6227");
    AppSettings expected;
    expected.Modalitaet = s.Modalitaet;
    expected.Bodypart = s.Bodypart;
    expected.Suffix = "gdt";
    expected.CommentField = "6227";
    EXPECT_EQ(s, expected);
    EXPECT_FALSE(std::filesystem::exists(log.file()));
}

struct TruthCase {
    std::string text;
    bool value;
};

void PrintTo(const TruthCase& c, std::ostream* os) {
    *os << "\"" << c.text << "\"";
}

class TruthValues : public ::testing::TestWithParam<TruthCase> {};

TEST_P(TruthValues, ConvertAsStored) {
    EXPECT_EQ(ToBool(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, TruthValues,
                         ::testing::Values(TruthCase{"1", true}, TruthCase{"0", false},
                                           TruthCase{"2", true}, TruthCase{"-1", true},
                                           TruthCase{" 0 ", false}, TruthCase{"TRUE", true},
                                           TruthCase{"true", true}, TruthCase{"False", false},
                                           TruthCase{"0.0", false}, TruthCase{"1.5", true},
                                           TruthCase{"+3", true}));

TEST(TruthValuesRejected, TypeMismatch) {
    for (const char* text : {"", "ja", "1x", "wahr", " ", "nan", "inf", "0x1"}) {
        try {
            ToBool(text);
            ADD_FAILURE() << "accepted \"" << text << "\"";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), 13) << text;
        }
    }
}

TEST_F(AppSettingsTest, MistypedTruthValueTakesItsDefaultAndTheRestIsStillRead) {
    settingsFile(
        "Modalitaet0=CT\r\nBodypart0=\r\nKonica=ja\r\nGDTQuell=/praxis/in\r\nModalitaet5=MRT\r\n"
        "Acc=1\r\nCommentField=6220\r\n");
    AppSettings s = load();
    EXPECT_EQ(s.Modalitaet[0], "CT");
    EXPECT_TRUE(s.Bodypart[0]);  // default of index 0
    EXPECT_FALSE(s.Konica);      // default
    EXPECT_EQ(s.Modalitaet[5], "MRT");
    EXPECT_EQ(s.GDTQuell, "/praxis/in");
    EXPECT_TRUE(s.Acc);
    EXPECT_EQ(s.CommentField, "6220");
    auto lines = CrLfLines(log.file());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" - Form_Load")) << lines[0];
    EXPECT_NE(lines[0].find("# 13 - "), std::string::npos) << lines[0];
}

TEST_F(AppSettingsTest, EmptyModalityNameStaysEmpty) {
    settingsFile("Modalitaet2=\r\nKonica=2\r\n");
    AppSettings s = load();
    EXPECT_EQ(s.Modalitaet[2], "");
    EXPECT_TRUE(s.Konica);
}

TEST_F(AppSettingsTest, OptionsAreWrittenInTheirOrderAndStoredForms) {
    AppSettings s = load();
    s.Modalitaet[1] = "Röntgen";
    s.GDTQuell = "/in/";
    s.GDTZiel = "/out";
    s.Carestream = true;
    s.Acc = true;
    s.AccNum = "RAD";
    s.OneGDT = true;
    s.QuellBuchstabe = "Q";
    s.Kuerzel = "nicht hier";
    SaveOptionSettings(s, program.path());
    EXPECT_EQ(
        ReadBytes(program / "Settings.ini"),
        "[GDTService]\r\n"
        "Modalitaet0=Scan\r\nBodypart0=1\r\nModalitaet1=R\xF6ntgen\r\nBodypart1=0\r\n"
        "Modalitaet2=Modalit\xE4t 3\r\nBodypart2=0\r\nModalitaet3=Modalit\xE4t 4\r\nBodypart3=0\r\n"
        "Modalitaet4=Modalit\xE4t 5\r\nBodypart4=0\r\nModalitaet5=Modalit\xE4t 6\r\nBodypart5=0\r\n"
        "GDTQuell=/in/\r\nGDTZiel=/out\r\nSuffix=gdt\r\nQuellBuchstabe=Q\r\nZielBuchstabe=\r\n"
        "CommentField=6227\r\nKonica=0\r\nFactory=0\r\nCarestream=1\r\nAcc=1\r\nAccNum=RAD\r\n"
        "QuellNetz=0\r\nZielNetz=0\r\nOneGDT=1\r\n");
    AppSettings again = load();
    s.Kuerzel = "";
    EXPECT_EQ(again, s);
}

TEST_F(AppSettingsTest, KuerzelIsWrittenAlsoWhenEmpty) {
    settingsFile("Kuerzel=MK\r\nSuffix=gdt\r\n");
    SaveKuerzel("", program.path());
    EXPECT_EQ(ReadBytes(program / "Settings.ini"), "[GDTService]\r\nKuerzel=\r\nSuffix=gdt\r\n");
    EXPECT_EQ(load().Kuerzel, "");
}

}  // namespace
}  // namespace morvik
