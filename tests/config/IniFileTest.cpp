#include <gtest/gtest.h>

#include "config/IniFile.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Reads as the Windows profile functions do.
TEST(ReadINI, BehavesAsTheWindowsProfileFunctions) {
    struct Case {
        std::string file, key, expected;
    };
    const Case cases[] = {
        {"[s]\r\nk=txt\r\n", "K", "txt"},  // names ignore case
        {"[S]\r\nA=1\r\n", "K", "DEF"},
        {"[S]\r\nK=\r\n", "K", ""},
        {"[S]\r\nK=\"a b\"\r\n", "K", "a b"},
        {"[S]\r\nK='a b'\r\n", "K", "a b"},
        {"[S]\r\nK=\"\"x\"\"\r\n", "K", "\"x\""},  // only one pair removed
        {"[S]\r\nK=\"abc\r\n", "K", "\"abc"},
        {"[S]\r\n  K  =  v w  \r\n", "K", "v w"},
        {"[S]\r\n\tK\t=\t v\tw \t\r\n", "K", "v\tw"},
        {"[S]\nA=1\nK=v\n", "K", "v"},
        {"[S]\rA=1\rK=v\r", "K", "v"},
        {"[S]\r\n\vK\f=\x1A v\v\r\n", "K", "v"},  // vertical tab, form feed, ^Z are blanks
        {"[S\r\nK=1\r\n", "K", "DEF"},            // no closing bracket, no section
        {"[S]\r\nK\r\nK=1\r\n", "K", "DEF"},      // a key without "=" reads as missing
        {"[S]\r\n\326ffnen=1\r\n", "Öffnen", "1"},
        {"[A]\r\nK=1\r\n[S]\r\nX=2\r\n", "K", "DEF"},
        {"[S]\r\nK=1\r\nK=2\r\n", "K", "1"},
        {"[S]\r\n;K=1\r\nK=2\r\n", "K", "2"},
        {"[S]\r\nK=R\xF6ntgen\r\n", "K", "Röntgen"},
        {"[S]\r\nK=" + std::string(300, 'x') + "\r\n", "K", std::string(255, 'x')}};
    TempFolder dir;
    for (const Case& c : cases) {
        WriteBytes(dir / "Settings.ini", c.file);
        EXPECT_EQ(ReadINI("S", c.key, "DEF", dir / "Settings.ini"), c.expected) << c.file;
    }
}

TEST(ReadINI, MissingFileGivesTheDefault) {
    TempFolder dir;
    EXPECT_EQ(ReadINI("GDTService", "Modalitaet1", "Röntgen", dir / "Settings.ini"), "Röntgen");
}

// A replaced key keeps the spelling it has in the file.
TEST(WriteINI, ReplacesInPlaceAndKeepsEverythingElse) {
    TempFolder dir;
    const std::string before =
        "; Morvik\r\n[Other]\r\nKuerzel=XX\r\n\r\n[GDTService]\r\nGDTQuell=/in\r\nkuerzel=AB\r\n"
        "Suffix=gdt\r\n\r\n[Last]\r\nZ=1\r\n";
    WriteBytes(dir / "Settings.ini", before);
    WriteINI("GDTService", {{"Kuerzel", "Jö"}, {"CommentField", "6220"}}, dir / "Settings.ini");
    EXPECT_EQ(
        ReadBytes(dir / "Settings.ini"),
        "; Morvik\r\n[Other]\r\nKuerzel=XX\r\n\r\n[GDTService]\r\nGDTQuell=/in\r\nkuerzel=J\xF6\r\n"
        "Suffix=gdt\r\nCommentField=6220\r\n\r\n[Last]\r\nZ=1\r\n");
}

TEST(WriteINI, AppendsAMissingSectionAtTheEndAlsoForAnEmptyValue) {
    TempFolder dir;
    WriteBytes(dir / "Settings.ini", "[Other]\r\nA=1\r\n");
    WriteINI("GDTService", "Modalitaet2", "", dir / "Settings.ini");
    EXPECT_EQ(ReadBytes(dir / "Settings.ini"),
              "[Other]\r\nA=1\r\n[GDTService]\r\nModalitaet2=\r\n");
}

TEST(WriteINI, LineBreaksInAValueCannotAddKeys) {
    TempFolder dir;
    WriteINI("GDTService", "Kuerzel", "AB\r\nGDTZiel=/boese\nX", dir / "Settings.ini");
    EXPECT_EQ(ReadINI("GDTService", "GDTZiel", "leer", dir / "Settings.ini"), "leer");
    EXPECT_EQ(ReadINI("GDTService", "Kuerzel", "", dir / "Settings.ini"), "AB  GDTZiel=/boese X");
}

}  // namespace
}  // namespace morvik
