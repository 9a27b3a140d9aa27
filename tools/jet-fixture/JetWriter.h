#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace morvik::test {

// Writes a Jet database (Access 97 or Access 2000 file format) that holds one table, by
// default `tblBodypart` with the columns `ID` (Long Integer), `f_Name`, `f_Show` (Yes/No),
// `f_Konica` and `f_Factory` (Text, 50 characters) in that order, and nothing else a Jet reader
// does not need: the header page, one page of usage maps, the system catalogue `MSysObjects`
// (its definition and one data page) and the table's definition and data pages. No indexes, no
// relations, no properties, no queries. Texts are given as UTF-8 and written as Jet 3 stores
// them (Windows-1252, the code page the header names) or as Jet 4 does (UCS-2, or its
// compressed form wherever that is shorter, as Access writes it with "Unicode compression" on).
// Debian's mdb-export reads these files back: tests/catalogue/JetFixtureTest.cpp checks that
// it reads what was meant.

enum class JetVersion { Jet3, Jet4, Jet4Compressed };

enum class JetColumnType { LongInteger, Text, YesNo };

// A value of a further column: Null, a Long Integer, a text or a Yes/No.
using JetValue = std::variant<std::monostate, std::int32_t, std::string, bool>;

struct JetBodyPartRow {
    std::optional<std::int32_t> id;  // nullopt: the row's ID is Null
    std::string name;
    bool show = true;
    std::optional<std::string> konica;   // nullopt: Null
    std::optional<std::string> factory;  // nullopt: Null
    std::vector<JetValue> further;       // one value per further column, in their order
};

struct JetColumn {
    std::string name;
    JetColumnType type;
};

// What makes a file one that a take-over must refuse, or a table laid out unlike ours.
struct JetCatalogueOptions {
    // Another name: a file without `tblBodypart`.
    std::string tableName = "tblBodypart";
    // Columns of the five left out of the table (their values in the rows are not written).
    std::vector<std::string> omittedColumns;
    // Columns beyond the five, of any of the types above.
    std::vector<JetColumn> furtherColumns;
    // The further columns come before `ID` instead of after `f_Factory`.
    bool furtherColumnsFirst = false;
};

// Writes the file anew (replacing one that is there). Throws std::invalid_argument for what
// the format cannot hold (a text longer than its column, malformed UTF-8, a character the code
// page lacks in Jet 3, a value whose type does not match its column) and std::runtime_error
// when the file cannot be written.
void WriteJetCatalogue(const std::filesystem::path& file, JetVersion version,
                       const std::vector<JetBodyPartRow>& rows,
                       const JetCatalogueOptions& options = {});

// A catalogue as a practice might have it, `count` rows: IDs 1 to count; German names with
// umlauts and ß ("Schädel", "Fuß", "Hüfte beidseits", ...), one with a character beyond Latin-1
// (an en dash, which makes the compressed form switch modes), unique as given; every 7th row
// hidden (f_Show No); some codes Null, some empty, the rest filled.
std::vector<JetBodyPartRow> SampleJetCatalogue(std::size_t count);

// The text of a Jet 4 Text value as stored: UCS-2 little-endian, or with `compress` the
// compressed form (0xFF 0xFE, one byte per character below U+0100, a 0x00 switching between
// that and two bytes per character) when that is shorter and the text allows it.
std::string JetUnicodeText(const std::string& utf8, bool compress);

}  // namespace morvik::test
