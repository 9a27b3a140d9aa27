#include <gtest/gtest.h>

#include "config/IniFile.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

struct ReadCase {
    const char* what;
    std::string file;
    std::string section, key;
    std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.what;
}

class ReadINITest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadINITest, BehavesAsTheWindowsProfileFunctions) {
    TempFolder dir;
    WriteBytes(dir / "Settings.ini", GetParam().file);
    EXPECT_EQ(ReadINI(GetParam().section, GetParam().key, "DEF", dir / "Settings.ini"),
              GetParam().expected)
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadINITest,
    ::testing::Values(
        ReadCase{"plain", "[GDTService]\r\nSuffix=gdt\r\n", "GDTService", "Suffix", "gdt"},
        ReadCase{"names ignore case", "[gdtservice]\r\nSUFFIX=txt\r\n", "GDTService", "Suffix",
                 "txt"},
        ReadCase{"missing key", "[GDTService]\r\nA=1\r\n", "GDTService", "Suffix", "DEF"},
        ReadCase{"missing section", "[Other]\r\nSuffix=x\r\n", "GDTService", "Suffix", "DEF"},
        ReadCase{"present but empty", "[GDTService]\r\nKuerzel=\r\n", "GDTService", "Kuerzel", ""},
        ReadCase{"double quotes removed", "[S]\r\nK=\"a b\"\r\n", "S", "K", "a b"},
        ReadCase{"single quotes removed", "[S]\r\nK='a b'\r\n", "S", "K", "a b"},
        ReadCase{"only one pair removed", "[S]\r\nK=\"\"x\"\"\r\n", "S", "K", "\"x\""},
        ReadCase{"unmatched quote kept", "[S]\r\nK=\"abc\r\n", "S", "K", "\"abc"},
        ReadCase{"blanks around name and value", "[S]\r\n  K  =  v w  \r\n", "S", "K", "v w"},
        ReadCase{"tabs around name and value", "[S]\r\n\tK\t=\t v\tw \t\r\n", "S", "K", "v\tw"},
        ReadCase{"LF line ends", "[S]\nA=1\nK=v\n", "S", "K", "v"},
        ReadCase{"key of another section", "[A]\r\nK=1\r\n[S]\r\nX=2\r\n", "S", "K", "DEF"},
        ReadCase{"first of two equal keys", "[S]\r\nK=1\r\nK=2\r\n", "S", "K", "1"},
        ReadCase{"comment lines", "[S]\r\n;K=1\r\nK=2\r\n", "S", "K", "2"},
        ReadCase{"ANSI umlauts", "[S]\r\nModalitaet1=R\xF6ntgen\r\n", "S", "Modalitaet1",
                 "Röntgen"},
        ReadCase{"cut to 255", "[S]\r\nK=" + std::string(300, 'x') + "\r\n", "S", "K",
                 std::string(255, 'x')}));

TEST(ReadINI, MissingFileGivesTheDefault) {
    TempFolder dir;
    EXPECT_EQ(ReadINI("GDTService", "Modalitaet1", "Röntgen", dir / "Settings.ini"), "Röntgen");
}

TEST(WriteINI, CreatesFileSectionAndKeyAlsoForAnEmptyValue) {
    TempFolder dir;
    WriteINI("GDTService", "Kuerzel", "MK", dir / "Settings.ini");
    WriteINI("GDTService", "Modalitaet2", "", dir / "Settings.ini");
    EXPECT_EQ(ReadBytes(dir / "Settings.ini"), "[GDTService]\r\nKuerzel=MK\r\nModalitaet2=\r\n");
    EXPECT_EQ(ReadINI("GDTService", "Modalitaet2", "Modalität 3", dir / "Settings.ini"), "");
}

TEST(WriteINI, ReplacesInPlaceAndKeepsEverythingElse) {
    TempFolder dir;
    const std::string before =
        "; Morvik\r\n[Other]\r\nKuerzel=XX\r\n\r\n[GDTService]\r\nGDTQuell=/in\r\nkuerzel=AB\r\n"
        "Suffix=gdt\r\n\r\n[Last]\r\nZ=1\r\n";
    WriteBytes(dir / "Settings.ini", before);
    WriteINI("GDTService", {{"Kuerzel", "Jö"}, {"CommentField", "6220"}}, dir / "Settings.ini");
    EXPECT_EQ(
        ReadBytes(dir / "Settings.ini"),
        "; Morvik\r\n[Other]\r\nKuerzel=XX\r\n\r\n[GDTService]\r\nGDTQuell=/in\r\nKuerzel=J\xF6\r\n"
        "Suffix=gdt\r\nCommentField=6220\r\n\r\n[Last]\r\nZ=1\r\n");
}

TEST(WriteINI, AppendsAMissingSectionAtTheEnd) {
    TempFolder dir;
    WriteBytes(dir / "Settings.ini", "[Other]\r\nA=1\r\n");
    WriteINI("GDTService", "Suffix", "gdt", dir / "Settings.ini");
    EXPECT_EQ(ReadBytes(dir / "Settings.ini"),
              "[Other]\r\nA=1\r\n\r\n[GDTService]\r\nSuffix=gdt\r\n");
}

TEST(WriteINI, LineBreaksInAValueCannotAddKeys) {
    TempFolder dir;
    WriteINI("GDTService", "Kuerzel", "AB\r\nGDTZiel=/boese\nX", dir / "Settings.ini");
    EXPECT_EQ(ReadINI("GDTService", "GDTZiel", "leer", dir / "Settings.ini"), "leer");
    EXPECT_EQ(ReadINI("GDTService", "Kuerzel", "", dir / "Settings.ini"), "AB  GDTZiel=/boese X");
}

TEST(WriteINI, UnwritableFolderThrows) {
    TempFolder dir;
    EXPECT_ANY_THROW(WriteINI("GDTService", "Kuerzel", "AB", dir / "fehlt" / "Settings.ini"));
}

}  // namespace
}  // namespace morvik
