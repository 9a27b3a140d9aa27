// The Jet reader against files other people made, compared with what Debian's mdb-export reads
// of them: tables, row counts, and every text, Yes/No and whole-number value.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "catalogue/JetTable.h"

namespace morvik {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = MORVIK_JET_SAMPLES;

// mdbtools' programs, without the settings that would change how they decode texts.
std::string run(const std::string& program) {
    const std::string command = "env -u MDB_JET3_CHARSET -u MDBICONV -u MDBOPTS " + program;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[65536];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, n);
    return out;
}

std::string quoted(const std::string& s) {
    return "'" + s + "'";  // the sample names hold no quote
}

// A cell of mdb-export's CSV: nullopt for Null (nothing between the commas), else the text.
using Cell = std::optional<std::string>;

std::vector<std::vector<Cell>> parseCsv(const std::string& csv) {
    std::vector<std::vector<Cell>> rows(1);
    Cell cell;
    bool quotedCell = false;
    std::size_t i = 0;
    const auto endCell = [&] {
        rows.back().push_back(quotedCell || (cell && !cell->empty()) ? cell : std::nullopt);
        cell.reset();
        quotedCell = false;
    };
    while (i < csv.size()) {
        const char c = csv[i++];
        if (c == '"' && !cell) {
            quotedCell = true;
            cell.emplace();
            while (i < csv.size()) {
                if (csv[i] == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
                    *cell += '"';
                    i += 2;
                } else if (csv[i] == '"') {
                    ++i;
                    break;
                } else {
                    *cell += csv[i++];
                }
            }
        } else if (c == ',') {
            endCell();
        } else if (c == '\n') {
            endCell();
            rows.emplace_back();
        } else {
            if (!cell) cell.emplace();
            *cell += c;
        }
    }
    if (!rows.back().empty()) endCell();
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        out.push_back(text.substr(start, end - start));
    }
    return out;
}

struct Seen {
    std::size_t nulls = 0, yes = 0, no = 0, nonAscii = 0;
};

// One file: its tables as mdb-tables lists them, and each table value by value as mdb-export.
void compareWithMdbExport(const std::string& name, JetFormat format, Seen& seen) {
    const fs::path file = kSamples / name;
    JetDatabase db(file);
    EXPECT_EQ(db.Format(), format);
    const auto tables = db.TableNames();
    EXPECT_EQ(std::set<std::string>(tables.begin(), tables.end()), [&] {
        auto l = lines(run("mdb-tables -1 " + quoted(file.string())));
        return std::set<std::string>(l.begin(), l.end());
    }());
    for (const std::string& tableName : tables) {
        SCOPED_TRACE(name + " / " + tableName);
        const auto expected =
            parseCsv(run("mdb-export -H " + quoted(file.string()) + " " + quoted(tableName)));
        JetTable table = db.Table(tableName);
        std::size_t row = 0;
        while (table.Next()) {
            ASSERT_LT(row, expected.size());
            ASSERT_EQ(expected[row].size(), table.Columns().size());
            for (std::size_t c = 0; c < table.Columns().size(); ++c) {
                const Cell& want = expected[row][c];
                switch (table.Columns()[c].kind) {
                    case JetTable::Kind::Text: {
                        const auto got = table.Text(c);
                        // Jet stores no difference between Null and "" that libmdb passes on.
                        EXPECT_EQ(got.value_or(""), want.value_or("")) << "row " << row;
                        if (!want) ++seen.nulls;
                        if (got && !std::all_of(got->begin(), got->end(),
                                                [](char ch) { return ch > 0; })) {
                            ++seen.nonAscii;
                        }
                        break;
                    }
                    case JetTable::Kind::Boolean:
                        EXPECT_EQ(table.Truth(c) ? "1" : "0", want.value_or("?")) << "row " << row;
                        ++(table.Truth(c) ? seen.yes : seen.no);
                        break;
                    case JetTable::Kind::Integer: {
                        const auto got = table.Integer(c);
                        EXPECT_EQ(got ? Cell(std::to_string(*got)) : Cell(), want) << "row " << row;
                        break;
                    }
                    case JetTable::Kind::Other:
                        break;
                }
            }
            ++row;
        }
        EXPECT_EQ(row, expected.size());
    }
}

TEST(JetRead, PublishedFilesReadAsMdbExportReadsThem) {
    Seen seen;
    compareWithMdbExport("nwind.mdb", JetFormat::Jet3, seen);
    compareWithMdbExport("DateTestDatabase.mdb", JetFormat::Jet4, seen);
    compareWithMdbExport("ASampleDatabase.accdb", JetFormat::Ace, seen);
    // The comparison met Null texts, both truth values and texts beyond ASCII.
    EXPECT_GT(seen.nulls, 0u);
    EXPECT_GT(seen.yes, 0u);
    EXPECT_GT(seen.no, 0u);
    EXPECT_GT(seen.nonAscii, 0u);
}

// The German names of the Jet 3 sample, by their own bytes: a table name, and its rows.
TEST(JetRead, GermanNamesOfAJet3File) {
    JetDatabase db(kSamples / "nwind.mdb");
    JetTable sales = db.Table("umsätze");  // Jet compares names without letter case
    EXPECT_EQ(sales.Name(), "Umsätze");
    const std::size_t city = *sales.FindColumn("ShipCity");
    const std::size_t name = *sales.FindColumn("ShipName");
    std::set<std::string> cities, names;
    std::size_t rows = 0;
    while (sales.Next()) {
        cities.insert(sales.Text(city).value_or(""));
        names.insert(sales.Text(name).value_or(""));
        ++rows;
    }
    EXPECT_EQ(rows, 830u);
    EXPECT_TRUE(cities.count("K\xC3\xB6ln") && cities.count("M\xC3\xBCnchen"));
    EXPECT_TRUE(names.count("Ottilies K\xC3\xA4seladen"));
}

TEST(JetRead, WhatIsNoJetFileIsSaidSo) {
    EXPECT_EQ(JetFormatOfHeader(std::string(64, '\0')), JetFormat::NotJet);
    EXPECT_EQ(JetFormatOfHeader("SQLite format 3" + std::string(49, '\0')), JetFormat::NotJet);
    EXPECT_THROW(
        {
            try {
                JetDatabase db(kSamples / "SOURCES.md");
            } catch (const AppError& e) {
                EXPECT_EQ(e.Number(), err::JetUnreadable);
                throw;
            }
        },
        AppError);
    EXPECT_THROW(JetDatabase(kSamples / "nwind.mdb").Table("tblBodypart"), AppError);
}

// Jet 4 texts as the file format stores them: plain UCS-2, and the compressed form whose 00
// bytes switch between one byte and two per character.
TEST(JetRead, Jet4TextForms) {
    using namespace std::string_literals;
    EXPECT_EQ(JetTextToUtf8("S\0c\0h\0\xE4\0d\0e\0l\0"s, JetFormat::Jet4),
              "Sch\xC3\xA4"
              "del");
    EXPECT_EQ(JetTextToUtf8("\xFF\xFE"
                            "Fu\xDF"s,
                            JetFormat::Jet4),
              "Fu\xC3\x9F");
    EXPECT_EQ(JetTextToUtf8("\xFF\xFE"
                            "H\xFC"
                            "fte\0\x20\x20\0"
                            "beidseits"s,
                            JetFormat::Jet4),
              "H\xC3\xBC"
              "fte\xE2\x80\xA0"
              "beidseits");
    EXPECT_EQ(JetTextToUtf8("Sch\xE4"
                            "del",
                            JetFormat::Jet3),
              "Sch\xC3\xA4"
              "del");
}

}  // namespace
}  // namespace morvik
