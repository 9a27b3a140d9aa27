#include "catalogue/CatalogueCsv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <optional>

#include "base/Text.h"
#include "platform/CodePage.h"

namespace morvik {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 5> Columns = {"ID", "f_Name", "f_Show", "f_Konica",
                                                     "f_Factory"};

struct Record {
    int line = 1;
    std::vector<std::string> fields;
};

std::string inQuotes(std::string_view text) {
    return "„" + std::string(text) + "“";
}

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string trimmed(std::string_view text) {
    return std::string(TrimBlanks(text));
}

int lineAt(std::string_view text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

char separatorOf(std::string_view text) {
    std::string_view header = text.substr(0, text.find('\n'));
    const bool semicolon = header.find(';') != std::string_view::npos;
    const bool comma = header.find(',') != std::string_view::npos;
    return semicolon && !comma ? ';' : ',';
}

// Splits the text into records of fields, RFC 4180: a field in double quotes may hold the
// separator, line breaks and doubled quotes. Each record keeps the line it starts on.
std::vector<Record> splitRecords(std::string_view text, char separator) {
    std::vector<Record> records;
    if (text.empty()) return records;
    const auto lineEnd = [](char c) { return c == '\r' || c == '\n'; };
    int line = 1;
    Record current{line, {}};
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < text.size() && text[i] == '"') {
            const int opened = line;
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    throw CatalogueCsvError(opened, "Anführungszeichen wird nicht geschlossen");
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n') ++line;
                field += text[i++];
            }
            if (i < text.size() && text[i] != separator && !lineEnd(text[i])) {
                throw CatalogueCsvError(
                    line, "nach dem schließenden Anführungszeichen fehlt das Trennzeichen");
            }
        } else {
            while (i < text.size() && text[i] != separator && !lineEnd(text[i])) {
                field += text[i++];
            }
        }
        current.fields.push_back(std::move(field));
        if (i >= text.size()) {
            records.push_back(std::move(current));
            break;
        }
        if (text[i] == separator) {
            ++i;
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        ++i;
        records.push_back(std::move(current));
        current = Record{++line, {}};
        if (i >= text.size()) break;
    }
    // Blank lines (often at the end of a file) carry nothing.
    std::erase_if(records, [](const Record& r) {
        return r.fields.size() == 1 && trimmed(r.fields.front()).empty();
    });
    return records;
}

std::optional<bool> parseShow(std::string_view text) {
    const std::string value = lowerAscii(trimmed(text));
    for (std::string_view yes : {"1", "-1", "ja", "yes", "true", "wahr"}) {
        if (value == yes) return true;
    }
    for (std::string_view no : {"0", "nein", "no", "false", "falsch"}) {
        if (value == no) return false;
    }
    return std::nullopt;
}

std::optional<std::int64_t> parseId(std::string_view text) {
    const std::string value = trimmed(text);
    std::int64_t id = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, id);
    if (value.empty() || error != std::errc() || stop != end) return std::nullopt;
    return id;
}

std::string csvField(std::string_view value) {
    const bool plain = value.find_first_of(",;\"\r\n") == std::string_view::npos &&
                       (value.empty() || (value.front() != ' ' && value.back() != ' '));
    if (plain) return std::string(value);
    std::string field = "\"";
    for (char c : value) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

}  // namespace

CatalogueCsvError::CatalogueCsvError(int line, const std::string& message)
    : std::runtime_error("Zeile " + std::to_string(line) + ": " + message), line_(line) {}

std::vector<CatalogueRow> ParseCatalogueCsv(std::string_view text) {
    std::string decoded;
    if (text.starts_with(ByteOrderMark)) {
        text.remove_prefix(ByteOrderMark.size());
        // The mark promises UTF-8: a byte that breaks it means a damaged file, not another code.
        if (const std::size_t bad = FirstInvalidUtf8(text); bad != std::string_view::npos) {
            throw CatalogueCsvError(lineAt(text, bad),
                                    "kein gültiger UTF-8-Text, obwohl die Datei mit der "
                                    "UTF-8-Kennung beginnt");
        }
    } else if (FirstInvalidUtf8(text) != std::string_view::npos) {
        // German Excel's "CSV (Trennzeichen-getrennt)" is Windows-1252, the ANSI code page.
        decoded = FromAnsi(text);
        text = decoded;
    }
    const std::vector<Record> records = splitRecords(text, separatorOf(text));
    if (records.empty()) throw CatalogueCsvError(1, "die Datei ist leer, die Kopfzeile fehlt");

    const Record& header = records.front();
    std::array<std::size_t, Columns.size()> at{};
    for (std::size_t c = 0; c < Columns.size(); ++c) {
        const std::string wanted = lowerAscii(Columns[c]);
        auto found =
            std::find_if(header.fields.begin(), header.fields.end(),
                         [&](const std::string& f) { return lowerAscii(trimmed(f)) == wanted; });
        if (found == header.fields.end()) {
            throw CatalogueCsvError(header.line, "die Spalte " + inQuotes(Columns[c]) + " fehlt");
        }
        if (std::find_if(found + 1, header.fields.end(), [&](const std::string& f) {
                return lowerAscii(trimmed(f)) == wanted;
            }) != header.fields.end()) {
            throw CatalogueCsvError(header.line,
                                    "die Spalte " + inQuotes(Columns[c]) + " steht doppelt da");
        }
        at[c] = static_cast<std::size_t>(found - header.fields.begin());
    }

    std::vector<CatalogueRow> rows;
    std::map<std::int64_t, int> lineOfId;
    for (auto record = records.begin() + 1; record != records.end(); ++record) {
        const int line = record->line;
        if (record->fields.size() != header.fields.size()) {
            throw CatalogueCsvError(line, std::to_string(record->fields.size()) +
                                              " Felder, die Kopfzeile hat " +
                                              std::to_string(header.fields.size()));
        }
        for (std::size_t c = 0; c < Columns.size(); ++c) {
            if (record->fields[at[c]].find_first_of("\r\n") != std::string::npos) {
                throw CatalogueCsvError(
                    line, "Zeilenumbruch in " + inQuotes(Columns[c]) + " ist nicht erlaubt");
            }
        }
        const auto field = [&](std::size_t c) -> const std::string& {
            return record->fields[at[c]];
        };
        CatalogueRow row;
        const auto id = parseId(field(0));
        if (!id)
            throw CatalogueCsvError(line, "ID " + inQuotes(field(0)) + " ist keine ganze Zahl");
        auto [previous, added] = lineOfId.emplace(*id, line);
        if (!added) {
            throw CatalogueCsvError(line, "ID " + std::to_string(*id) + " kommt schon in Zeile " +
                                              std::to_string(previous->second) + " vor");
        }
        row.id = *id;
        row.name = trimmed(field(1));
        if (row.name.empty()) throw CatalogueCsvError(line, "f_Name ist leer");
        const auto show = parseShow(field(2));
        if (!show) {
            throw CatalogueCsvError(
                line, "f_Show " + inQuotes(field(2)) + " ist kein Ja/Nein-Wert (1 oder 0)");
        }
        row.show = *show;
        row.abbreviation = trimmed(field(3));
        row.factoryCode = trimmed(field(4));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string FormatCatalogueCsv(const std::vector<CatalogueRow>& rows) {
    std::string text = "ID,f_Name,f_Show,f_Konica,f_Factory\r\n";
    for (const CatalogueRow& row : rows) {
        text += std::to_string(row.id) + ',' + csvField(row.name) + ',' + (row.show ? '1' : '0') +
                ',' + csvField(row.abbreviation) + ',' + csvField(row.factoryCode) + "\r\n";
    }
    return text;
}

}  // namespace morvik
