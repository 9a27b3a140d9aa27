#include "catalogue/CatalogueCsv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace morvik {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Rejection {
    const char* name;
    std::string text;
    int line;
    const char* says;
    friend void PrintTo(const Rejection& c, std::ostream* os) { *os << c.name; }
};

class RejectedCsv : public ::testing::TestWithParam<Rejection> {};

TEST_P(RejectedCsv, NamesTheLineAndTheFault) {
    try {
        ParseCatalogueCsv(GetParam().text);
        FAIL() << "accepted a faulty file";
    } catch (const CatalogueCsvError& e) {
        EXPECT_EQ(e.line(), GetParam().line);
        EXPECT_THAT(e.what(), HasSubstr("Zeile " + std::to_string(GetParam().line) + ":"));
        EXPECT_THAT(e.what(), HasSubstr(GetParam().says));
    }
}

const std::string Header = "ID,f_Name,f_Show,f_Konica,f_Factory\n";

INSTANTIATE_TEST_SUITE_P(
    Files, RejectedCsv,
    ::testing::Values(
        Rejection{"MissingColumn", "ID,f_Name,f_Show,f_Konica\n1,Becken,1,BE\n", 1, "f_Factory"},
        Rejection{"ColumnTwice", "ID,f_Name,f_Show,f_Konica,f_Factory,f_name\n", 1, "doppelt"},
        Rejection{"DuplicateId", Header + "1,Becken,1,BE,F1\n2,Hand,1,HA,F2\n1,Knie,1,KN,F3\n", 4,
                  "ID 1 kommt schon in Zeile 2 vor"},
        Rejection{"EmptyName", Header + "1,Becken,1,BE,F1\n2,  ,1,HA,F2\n", 3, "f_Name ist leer"},
        Rejection{"IdNotANumber", Header + "1a,Becken,1,BE,F1\n", 2, "„1a“ ist keine ganze Zahl"},
        Rejection{"EmptyId", Header + ",Becken,1,BE,F1\n", 2, "keine ganze Zahl"},
        Rejection{"ShowNotYesNo", Header + "1,Becken,vielleicht,BE,F1\n", 2, "f_Show"},
        Rejection{"ShowEmpty", Header + "1,Becken,,BE,F1\n", 2, "f_Show"},
        Rejection{"TooFewFields", Header + "1,Becken,1,BE\n", 2, "4 Felder"},
        Rejection{"TooManyFields", Header + "1,Becken,1,BE,F1,x\n", 2, "6 Felder"},
        Rejection{"OpenQuote", Header + "1,Becken,1,BE,F1\n2,\"Hand,1,HA,F2\n3,Knie,1,KN,F3\n", 3,
                  "nicht geschlossen"},
        Rejection{"TextAfterQuote", Header + "1,\"Knie\" links,1,KN,F3\n", 2, "Trennzeichen"},
        Rejection{"LineBreakInName", Header + "1,\"Knie\nlinks\",1,KN,F3\n", 2, "Zeilenumbruch"},
        // Line numbers count the lines of the file, also inside a quoted value.
        Rejection{"LineAfterAMultiLineValue",
                  "ID,f_Name,f_Show,f_Konica,f_Factory,Bemerkung\n"
                  "1,Becken,1,BE,F1,\"zwei\nZeilen\"\n1,Hand,1,HA,F2,\n",
                  4, "ID 1 kommt schon in Zeile 2 vor"},
        Rejection{"AnsiInsteadOfUtf8",
                  Header + "1,Becken,1,BE,F1\n2,Sch\xE4"
                           "del,1,SD,F2\n",
                  3, "UTF-8"},
        Rejection{"EmptyFile", "", 1, "leer"}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

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
}

TEST(CatalogueCsv, HeaderOnlyIsAnEmptyCatalogue) {
    EXPECT_TRUE(ParseCatalogueCsv("ID,f_Name,f_Show,f_Konica,f_Factory").empty());
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
