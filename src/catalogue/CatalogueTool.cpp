#include "catalogue/CatalogueTool.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <stdexcept>

#include "Version.h"
#include "catalogue/CatalogueCsv.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/JetCatalogue.h"
#include "catalogue/Sqlite.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

namespace fs = std::filesystem;

constexpr int Ok = 0;
constexpr int Failed = 1;
constexpr int WrongCall = 2;
// The program may be reading the catalogue at the same moment; wait for it.
constexpr int BusyTimeoutMs = 10000;
// Spreadsheet programs recognise UTF-8 by this mark; without it Excel shows umlauts wrongly.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// A file argument of "-" is the standard output (export) or input (import), so the tool works
// in a pipe.
constexpr std::string_view StandardStream = "-";

constexpr const char* Usage =
    "Aufruf: morvik-catalogue PROGRAMMORDNER list\n"
    "        morvik-catalogue PROGRAMMORDNER export DATEI.csv\n"
    "        morvik-catalogue PROGRAMMORDNER import DATEI.csv\n"
    "        morvik-catalogue --help | --version\n"
    "Arbeitet mit Bodypart.mdb im Programmordner. DATEI \"-\" ist die Standardausgabe (export)\n"
    "oder die Standardeingabe (import). Eine CSV-Datei ohne gültiges UTF-8 wird als\n"
    "Windows-1252 gelesen, wie Excel sie als \"CSV (Trennzeichen-getrennt)\" speichert.\n"
    "Ist Bodypart.mdb noch eine Jet-Datenbank (Access), lesen list und export ihre Tabelle\n"
    "tblBodypart; import liest auch eine Jet-Datei (DATEI.mdb) statt einer CSV-Datei.\n";

SqliteConnection openExisting(const fs::path& file, int flags) {
    if (!fs::exists(file)) {
        throw std::runtime_error("Die Katalogdatenbank " + Utf8Path(file) + " gibt es nicht");
    }
    SqliteConnection db(file, flags);
    sqlite3_busy_timeout(db.Get(), BusyTimeoutMs);
    return db;
}

bool isJet(const fs::path& file) {
    return fs::exists(file) && JetFormatOfFile(file) != JetFormat::NotJet;
}

// A Jet file (an older installation's Bodypart.mdb, or one to be imported) is read as it is:
// its tblBodypart, checked as the program's take-over checks it.
std::vector<CatalogueRow> readRows(const fs::path& file) {
    if (isJet(file)) return ReadJetCatalogue(file);
    SqliteConnection db = openExisting(file, SQLITE_OPEN_READONLY);
    std::vector<CatalogueRow> rows;
    SelectAllRows(db, [&](const CatalogueRow& row) { rows.push_back(row); });
    return rows;
}

// Width of a UTF-8 text in characters, for lining up the listing.
std::size_t width(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void list(const fs::path& file, std::ostream& out) {
    std::vector<std::vector<std::string>> table = {
        {"ID", "f_Name", "f_Show", "f_Konica", "f_Factory"}};
    for (const CatalogueRow& row : readRows(file)) {
        table.push_back({std::to_string(row.id), row.name, row.show ? "Ja" : "Nein",
                         row.abbreviation, row.factoryCode});
    }
    std::vector<std::size_t> widths(table.front().size(), 0);
    for (const auto& line : table) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            widths[c] = std::max(widths[c], width(line[c]));
        }
    }
    for (const auto& line : table) {
        std::string text;
        for (std::size_t c = 0; c < line.size(); ++c) {
            text += line[c];
            if (c + 1 < line.size()) text.append(widths[c] - width(line[c]) + 2, ' ');
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    }
}

void exportTo(const fs::path& file, const std::string& csv, std::ostream& out) {
    const std::vector<CatalogueRow> rows = readRows(file);
    std::string text(ByteOrderMark);
    text += FormatCatalogueCsv(rows);
    if (csv == StandardStream) {
        out << text << std::flush;
        if (!out) throw std::runtime_error("Die Standardausgabe kann nicht geschrieben werden");
        return;
    }
    WriteFileAtomically(csv, text);
    out << rows.size() << " Körperteile nach " << csv << " exportiert.\n";
}

void importFrom(const fs::path& file, const std::string& csv, std::istream& in, std::ostream& out) {
    if (isJet(file)) {
        // Replacing the rows of a Jet file is not ours to do; the program takes it over itself.
        throw std::runtime_error(Utf8Path(file) +
                                 " ist eine Jet-Datenbank (Access); Morvik übernimmt sie beim "
                                 "nächsten Start. Import abgelehnt, die Datei bleibt unverändert.");
    }
    const bool fromInput = csv == StandardStream;
    const std::string source = fromInput ? "Standardeingabe" : csv;
    std::vector<CatalogueRow> rows;
    try {
        std::string bytes;
        if (fromInput) {
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad()) throw std::runtime_error("Die Standardeingabe kann nicht gelesen werden");
            rows = ParseCatalogueCsv(bytes);
        } else if (isJet(csv)) {
            rows = ReadJetCatalogue(csv);
        } else {
            rows = ParseCatalogueCsv(ReadFileBytes(csv));
        }
    } catch (const CatalogueCsvError& e) {
        throw std::runtime_error(source + ", " + e.what() +
                                 "\nImport abgelehnt, die Datenbank bleibt unverändert.");
    }
    const bool created = !fs::exists(file);
    try {
        SqliteConnection db(file, SQLITE_OPEN_READWRITE | (created ? SQLITE_OPEN_CREATE : 0));
        sqlite3_busy_timeout(db.Get(), BusyTimeoutMs);
        ReplaceAllRows(db, rows);
        db.Close();
    } catch (...) {
        // A file made by this import and left half-done would look like a catalogue.
        if (created) RemoveFileQuietly(file);
        throw;
    }
    out << rows.size() << " Körperteile aus " << source << " nach " << Utf8Path(file)
        << " importiert.\n";
}

}  // namespace

int RunCatalogueTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << Usage;
        return Ok;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "morvik-catalogue " << kVersionText << '\n';
        return Ok;
    }
    const bool listCall = args.size() == 2 && args[1] == "list";
    const bool fileCall = args.size() == 3 && (args[1] == "import" || args[1] == "export");
    if (!listCall && !fileCall) {
        err << Usage;
        return WrongCall;
    }
    const fs::path folder = args[0];
    const fs::path file = folder / CatalogueFileName;
    try {
        if (!fs::is_directory(folder)) {
            throw std::runtime_error("Den Programmordner " + Utf8Path(folder) + " gibt es nicht");
        }
        if (listCall) {
            list(file, out);
        } else if (args[1] == "export") {
            exportTo(file, args[2], out);
        } else {
            importFrom(file, args[2], in, out);
        }
        return Ok;
    } catch (const std::exception& e) {
        err << "morvik-catalogue: " << e.what() << '\n';
        return Failed;
    }
}

}  // namespace morvik
