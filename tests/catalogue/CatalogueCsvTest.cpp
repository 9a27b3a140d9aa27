#include "catalogue/CatalogueCsv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace morvik {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// One file per kind of check: each names its line and its fault.
TEST(CatalogueCsv, RejectedFileNamesTheLineAndTheFault) {
    const std::string header = "ID,f_Name,f_Show,f_Konica,f_Factory\n";
    struct Case {
        std::string text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"ID,f_Name,f_Show,f_Konica\n1,Becken,1,BE\n", 1, "f_Factory"},
        // Line numbers count the lines of the file, also inside a quoted value.
        {"ID,f_Name,f_Show,f_Konica,f_Factory,Bemerkung\n"
         "1,Becken,1,BE,F1,\"zwei\nZeilen\"\n1,Hand,1,HA,F2,\n",
         4, "ID 1 kommt schon in Zeile 2 vor"},
        {header + "1a,Becken,1,BE,F1\n", 2, "„1a“ ist keine ganze Zahl"},
        {header + "1,Becken,vielleicht,BE,F1\n", 2, "f_Show"},
        {header + "1,Becken,1,BE\n", 2, "4 Felder"},
        {header + "1,Becken,1,BE,F1\n2,\"Hand,1,HA,F2\n3,Knie,1,KN,F3\n", 3, "nicht geschlossen"},
        // The byte-order mark promises UTF-8; without it the file would be read as Windows-1252.
        {"\xEF\xBB\xBF" + header +
             "1,Becken,1,BE,F1\n2,Sch\xE4"
             "del,1,SD,F2\n",
         3, "UTF-8"},
    };
    for (const Case& c : cases) {
        try {
            ParseCatalogueCsv(c.text);
            ADD_FAILURE() << "accepted: " << c.says;
        } catch (const CatalogueCsvError& e) {
            EXPECT_EQ(e.Line(), c.line) << c.says;
            EXPECT_THAT(e.what(), HasSubstr("Zeile " + std::to_string(c.line) + ":"));
            EXPECT_THAT(e.what(), HasSubstr(c.says));
        }
    }
}

TEST(CatalogueCsv, ReadsWhatSpreadsheetsWrite) {
    // German spreadsheet output: byte order mark, semicolons, CR LF, Yes/No words, quoted
    // values, columns in another order, an extra column and blank lines at the end.
    const std::string text =
        "\xEF\xBB\xBF"
        "f_Name;ID;Bemerkung;f_Show;f_Konica;f_Factory\r\n"
        "Schädel a.p.;10;;WAHR;SCH-AP;K1001\r\n"
        "\"Knie; links \"\"gehalten\"\"\";11;alt;Nein;KN-L;\r\n"
        " Hand links a.p. ; 12 ;;ja; HA-L ; K5901 \r\n"
        "Becken;-4;;-1;;K41\r\n"
        "Fuß;13;;False;F;K78\r\n"
        "\r\n\r\n";

    EXPECT_THAT(ParseCatalogueCsv(text),
                ElementsAre(CatalogueRow{10, "Schädel a.p.", true, "SCH-AP", "K1001"},
                            CatalogueRow{11, "Knie; links \"gehalten\"", false, "KN-L", ""},
                            CatalogueRow{12, "Hand links a.p.", true, "HA-L", "K5901"},
                            CatalogueRow{-4, "Becken", true, "", "K41"},
                            CatalogueRow{13, "Fuß", false, "F", "K78"}));
    EXPECT_TRUE(ParseCatalogueCsv("ID,f_Name,f_Show,f_Konica,f_Factory").empty());

    // German Excel's plain "CSV (Trennzeichen-getrennt)": Windows-1252, no byte-order mark.
    EXPECT_THAT(ParseCatalogueCsv("ID;f_Name;f_Show;f_Konica;f_Factory\r\n"
                                  "1;Sch\xE4"
                                  "del a.p.;1;SCH;K1001\r\n2;Fu\xDF \x96 links;0;;\r\n"),
                ElementsAre(CatalogueRow{1, "Schädel a.p.", true, "SCH", "K1001"},
                            CatalogueRow{2, "Fuß – links", false, "", ""}));
}

TEST(CatalogueCsv, WrittenFileReadsBackUnchanged) {
    const std::vector<CatalogueRow> rows = {
        {1, "Thorax p.a.", true, "THX-PA", "K3001M"},
        {2, "Knie, links", false, "KN\"L\"", ""},
        {3, "Fußgelenk; rechts", true, "", "K79;R"},
        {9000000000, "Ellenbogen", false, "E", "K55"},
    };
    const std::string text = FormatCatalogueCsv(rows);
    EXPECT_TRUE(text.starts_with("ID,f_Name,f_Show,f_Konica,f_Factory\r\n1,Thorax p.a.,1,"));
    EXPECT_EQ(ParseCatalogueCsv(text), rows);
}

}  // namespace
}  // namespace morvik
