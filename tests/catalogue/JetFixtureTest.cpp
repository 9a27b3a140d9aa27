// The Jet files the tests write, read back by Debian's mdbtools: no fixture is checked only by
// the code that reads it in the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "JetWriter.h"
#include "support/TempFolder.h"

namespace morvik::test {
namespace {

struct Output {
    int status;
    std::string text;  // stdout and stderr: a warning of mdbtools is a difference too
};

// One of mdbtools' programs on a file, without settings that would change how it decodes.
Output Mdb(const std::string& program, const std::string& arguments, const fs::path& file,
           const std::string& table = "") {
    std::string command = "env -u MDB_JET3_CHARSET -u MDBICONV -u MDBOPTS '" MORVIK_MDB_TOOLS "/" +
                          program + "' " + arguments + " '" + file.string() + "'";
    if (!table.empty()) command += " '" + table + "'";
    command += " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    Output out{0, ""};
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.text.append(buffer, n);
    out.status = pclose(pipe);
    return out;
}

// What mdb-export -0 @ prints: Null as @, and an empty text likewise (mdbtools keeps no empty
// texts apart from Null), texts in double quotes, Yes/No as 1 and 0.
std::string Quoted(const std::optional<std::string>& text) {
    if (!text || text->empty()) return "@";
    std::string out = "\"";
    for (char c : *text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Cell(const JetValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    if (const auto* text = std::get_if<std::string>(&value)) return Quoted(*text);
    if (const auto* yes = std::get_if<bool>(&value)) return *yes ? "1" : "0";
    return "@";
}

std::string ExpectedExport(const std::vector<JetBodyPartRow>& rows,
                           const JetCatalogueOptions& options = {}) {
    std::string further, furtherHeader;
    for (const JetColumn& c : options.furtherColumns) furtherHeader += c.name + ",";
    std::string text = options.furtherColumnsFirst ? furtherHeader : "";
    text += "ID,f_Name,f_Show,f_Konica,f_Factory";
    if (!options.furtherColumnsFirst && !furtherHeader.empty()) {
        text += "," + furtherHeader.substr(0, furtherHeader.size() - 1);
    }
    text += "\n";
    for (const JetBodyPartRow& row : rows) {
        std::string cells;
        for (const JetValue& value : row.further) cells += Cell(value) + ",";
        std::string ours = (row.id ? std::to_string(*row.id) : "@") + "," + Quoted(row.name) + "," +
                           (row.show ? "1" : "0") + "," + Quoted(row.konica) + "," +
                           Quoted(row.factory);
        text += options.furtherColumnsFirst
                    ? cells + ours
                    : ours + (cells.empty() ? "" : "," + cells.substr(0, cells.size() - 1));
        text += "\n";
    }
    return text;
}

class JetFixtureTest : public ::testing::TestWithParam<JetVersion> {
  protected:
    bool jet3() const { return GetParam() == JetVersion::Jet3; }
    TempFolder folder_;
    fs::path file_ = folder_ / "Bodypart.mdb";
};

TEST_P(JetFixtureTest, MdbtoolsReadTheCatalogueAsWritten) {
    const std::vector<JetBodyPartRow> rows = SampleJetCatalogue(300);
    WriteJetCatalogue(file_, GetParam(), rows);

    EXPECT_EQ(Mdb("mdb-ver", "", file_).text, jet3() ? "JET3\n" : "JET4\n");
    EXPECT_EQ(Mdb("mdb-tables", "-1", file_).text, "tblBodypart\n");
    const Output exported = Mdb("mdb-export", "-0 @", file_, "tblBodypart");
    EXPECT_EQ(exported.status, 0);
    EXPECT_EQ(exported.text, ExpectedExport(rows));
    EXPECT_EQ(Mdb("mdb-count", "", file_, "tblBodypart").text, "300\n");
    const std::string schema = Mdb("mdb-schema", "", file_).text;
    for (const char* column :
         {"[ID]\t\t\tLong Integer", "[f_Name]\t\t\tText (50)", "[f_Show]\t\t\tBoolean",
          "[f_Konica]\t\t\tText (50)", "[f_Factory]\t\t\tText (50)"}) {
        EXPECT_NE(schema.find(column), std::string::npos) << column << " in\n" << schema;
    }

    // The texts in the form the version stores them: the code page, UCS-2, or compressed with a
    // switch to two bytes and back for the en dash.
    using namespace std::string_literals;
    // (Octal escapes: a hex escape would swallow the "de" of "del".)
    std::string schaedel = "Sch\344del"s, knie = "Knie a.\226p."s;
    if (GetParam() == JetVersion::Jet4) {
        schaedel = "S\0c\0h\0\xE4\0d\0e\0l\0"s;
        knie = "a\0.\0\x13\x20p\0.\0"s;
    } else if (GetParam() == JetVersion::Jet4Compressed) {
        schaedel = "\377\376Sch\344del"s;
        knie = "\xFF\xFEKnie a.\0\x13\x20\0p."s;
    }
    const std::string bytes = ReadBytes(file_);
    EXPECT_NE(bytes.find(schaedel), std::string::npos);
    EXPECT_NE(bytes.find(knie), std::string::npos);
}

TEST_P(JetFixtureTest, MdbtoolsReadTheFilesATakeOverMustRefuse) {
    std::vector<JetBodyPartRow> rows = SampleJetCatalogue(40);

    JetCatalogueOptions otherTable;
    otherTable.tableName = "tblKoerperteil";
    WriteJetCatalogue(file_, GetParam(), rows, otherTable);
    EXPECT_EQ(Mdb("mdb-tables", "-1", file_).text, "tblKoerperteil\n");
    EXPECT_NE(Mdb("mdb-export", "", file_, "tblBodypart").status, 0);

    JetCatalogueOptions withoutFactory;
    withoutFactory.omittedColumns = {"f_Factory"};
    WriteJetCatalogue(file_, GetParam(), rows, withoutFactory);
    const std::string exported = Mdb("mdb-export", "-0 @", file_, "tblBodypart").text;
    EXPECT_EQ(exported.substr(0, exported.find("\n2,")),
              "ID,f_Name,f_Show,f_Konica\n1,\"Schädel\",1,\"HÜ1000\"");

    rows[1].id = std::nullopt;
    rows[39].id = rows[0].id;
    WriteJetCatalogue(file_, GetParam(), rows);
    EXPECT_EQ(Mdb("mdb-export", "-0 @", file_, "tblBodypart").text, ExpectedExport(rows));
}

TEST_P(JetFixtureTest, MdbtoolsReadFurtherColumnsBeforeOurs) {
    std::vector<JetBodyPartRow> rows = SampleJetCatalogue(60);
    JetCatalogueOptions options;
    options.furtherColumns = {{"f_Sort", JetColumnType::LongInteger},
                              {"f_Bemerkung", JetColumnType::Text},
                              {"f_Kontrast", JetColumnType::YesNo}};
    options.furtherColumnsFirst = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].further = {i % 5 == 0 ? JetValue() : JetValue(static_cast<std::int32_t>(-7 * i)),
                           i % 4 == 0 ? JetValue() : JetValue("Größe " + std::to_string(i)),
                           i % 3 == 0};
    }
    WriteJetCatalogue(file_, GetParam(), rows, options);
    EXPECT_EQ(Mdb("mdb-export", "-0 @", file_, "tblBodypart").text, ExpectedExport(rows, options));
}

std::string VersionName(const ::testing::TestParamInfo<JetVersion>& version) {
    switch (version.param) {
        case JetVersion::Jet3:
            return "Jet3";
        case JetVersion::Jet4:
            return "Jet4";
        case JetVersion::Jet4Compressed:
            return "Jet4Compressed";
    }
    return "";
}

INSTANTIATE_TEST_SUITE_P(Versions, JetFixtureTest,
                         ::testing::Values(JetVersion::Jet3, JetVersion::Jet4,
                                           JetVersion::Jet4Compressed),
                         VersionName);

}  // namespace
}  // namespace morvik::test
