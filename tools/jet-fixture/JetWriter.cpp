#include "JetWriter.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <numeric>
#include <stdexcept>
#include <utility>

#include "base/Text.h"
#include "platform/CodePage.h"

namespace morvik::test {
namespace {

using Bytes = std::string;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
void Add8(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
}
void Add16(Bytes& b, std::uint32_t v) {
    Add8(b, v);
    Add8(b, v >> 8);
}
void Add32(Bytes& b, std::uint32_t v) {
    Add16(b, v & 0xFFFF);
    Add16(b, v >> 16);
}

// Column types and flags as a table definition stores them.
constexpr std::uint32_t kTypeYesNo = 0x01;
constexpr std::uint32_t kTypeInteger = 0x03;
constexpr std::uint32_t kTypeLong = 0x04;
constexpr std::uint32_t kTypeText = 0x0A;
constexpr std::uint32_t kTypeOle = 0x0B;
constexpr std::uint32_t kFlagFixed = 0x01;
constexpr std::uint32_t kFlagNullable = 0x02;
constexpr std::uint32_t kSortGeneral = 0x0409;
constexpr std::uint32_t kCodePage1252 = 1252;
constexpr std::size_t kTextCharacters = 50;  // Access's default Text size
constexpr std::size_t kObjectNameCharacters = 128;

struct Format {
    JetVersion version;
    bool jet4() const { return version != JetVersion::Jet3; }
    std::size_t pageSize() const { return jet4() ? 4096 : 2048; }
    // A data page: type, 1, free space, the owner's definition page, (Jet 4: 4 more bytes), the
    // row count, then one offset per row.
    std::size_t rowCountAt() const { return jet4() ? 0x0C : 0x08; }
};

struct Column {
    std::string name;
    std::uint32_t type;
    std::size_t characters = 0;  // Text only
    bool fixed() const { return type != kTypeText && type != kTypeOle; }
    // Bytes in a row's fixed part; a Yes/No lives in the null mask.
    std::size_t fixedSize() const { return type == kTypeLong ? 4 : type == kTypeInteger ? 2 : 0; }
};

// A cell as written: nullopt is Null (and No for a Yes/No column, whose value is its null bit).
using Cell = std::optional<Bytes>;

std::u16string Utf16(const std::string& utf8) {
    if (FirstInvalidUtf8(utf8) != std::string::npos) {
        throw std::invalid_argument("Jet text is not well-formed UTF-8: " + utf8);
    }
    std::u16string units;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        const char32_t c = Utf8CodePoint(utf8, at, length);
        at += length;
        if (c == 0) throw std::invalid_argument("Jet text holds a NUL character");
        if (c < 0x10000) {
            units.push_back(static_cast<char16_t>(c));
        } else {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return units;
}

Bytes Jet3Text(const std::string& utf8) {
    const std::string bytes = ToAnsi(utf8);
    if (FromAnsi(bytes) != utf8) {
        throw std::invalid_argument("Jet 3 text not in Windows-1252: " + utf8);
    }
    return bytes;
}

Bytes TextCell(const Format& format, const std::string& utf8, std::size_t characters) {
    const std::size_t length = format.jet4() ? Utf16(utf8).size() : Jet3Text(utf8).size();
    if (length > characters) {
        throw std::invalid_argument("Jet text longer than its column: " + utf8);
    }
    return format.jet4() ? JetUnicodeText(utf8, format.version == JetVersion::Jet4Compressed)
                         : Jet3Text(utf8);
}

Bytes LongCell(std::int32_t value) {
    Bytes b;
    Add32(b, static_cast<std::uint32_t>(value));
    return b;
}

// A row: the column count, the fixed columns at their offsets, the variable ones one after the
// other, then (when the table has variable columns) the end of the data, their start offsets
// last column first and their count, and last the null mask, one bit per column.
Bytes EncodeRow(const Format& format, const std::vector<Column>& columns,
                const std::vector<Cell>& cells) {
    Bytes row;
    format.jet4() ? Add16(row, columns.size()) : Add8(row, columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!columns[i].fixed()) continue;
        row += cells[i] && columns[i].fixedSize() ? *cells[i] : Bytes(columns[i].fixedSize(), '\0');
    }
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].fixed()) continue;
        starts.push_back(row.size());
        if (cells[i]) row += *cells[i];
    }
    if (!starts.empty()) {
        const std::size_t end = row.size();
        if (format.jet4()) {
            Add16(row, end);
            for (std::size_t k = starts.size(); k-- > 0;) Add16(row, starts[k]);
            Add16(row, starts.size());
        } else {
            // Jet 3 offsets are single bytes; past 255 it needs a jump table, which these short
            // rows never do.
            if (end > 0xFF) throw std::invalid_argument("Jet 3 row longer than 255 bytes");
            Add8(row, end);
            for (std::size_t k = starts.size(); k-- > 0;) Add8(row, starts[k]);
            Add8(row, starts.size());
        }
    }
    Bytes nullMask((columns.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (cells[i]) nullMask[i / 8] = static_cast<char>(nullMask[i / 8] | (1 << (i % 8)));
    }
    row += nullMask;
    if (!format.jet4() && row.size() > 256) {
        throw std::invalid_argument("Jet 3 row longer than 256 bytes");
    }
    return row;
}

Bytes ColumnName(const Format& format, const std::string& name) {
    Bytes b;
    if (format.jet4()) {
        const Bytes ucs2 = JetUnicodeText(name, false);
        Add16(b, ucs2.size());
        b += ucs2;
    } else {
        const Bytes ansi = Jet3Text(name);
        Add8(b, ansi.size());
        b += ansi;
    }
    return b;
}

// The table definition page: header, definition block, one entry per column, the column names,
// and the end of the (empty) list of column usage maps. No indexes.
Bytes TableDefinition(const Format& format, const std::vector<Column>& columns,
                      std::uint32_t rowCount, bool systemTable, std::uint32_t usedPagesRow,
                      std::uint32_t freePagesRow) {
    const bool jet4 = format.jet4();
    const auto variableCount = static_cast<std::uint32_t>(
        std::count_if(columns.begin(), columns.end(), [](const Column& c) { return !c.fixed(); }));
    Bytes p;
    Add8(p, 0x02);
    Add8(p, 0x01);
    if (jet4) {
        Add16(p, 0);  // free space, set below
    } else {
        p += "VC";
    }
    Add32(p, 0);  // no further definition page
    Add32(p, 0);  // length, set below
    if (jet4) Add32(p, 0);
    Add32(p, rowCount);
    Add32(p, 0);  // no AutoNumber
    if (jet4) p += Bytes(16, '\0');
    Add8(p, systemTable ? 0x53 : 0x4E);
    Add16(p, columns.size());
    Add16(p, variableCount);
    Add16(p, columns.size());
    Add32(p, 0);  // logical indexes
    Add32(p, 0);  // index entries
    Add32(p, usedPagesRow);
    Add32(p, freePagesRow);

    std::size_t fixedOffset = 0;
    std::uint32_t variableNumber = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        const bool text = c.type == kTypeText;
        const std::uint32_t flags = (c.fixed() ? kFlagFixed : 0) | kFlagNullable;
        Add8(p, c.type);
        if (jet4) Add32(p, 0);
        Add16(p, i);
        Add16(p, c.fixed() ? 0 : variableNumber);
        Add16(p, i);
        if (jet4) {
            Add16(p, text ? kSortGeneral : 0);
            Add16(p, 0);
            Add8(p, flags);
            Add8(p, text && format.version == JetVersion::Jet4Compressed ? 0x01 : 0x00);
            Add32(p, 0);
        } else {
            Add16(p, text ? kSortGeneral : 0);
            Add16(p, text ? kCodePage1252 : 0);
            Add16(p, 0);
            Add8(p, flags);
        }
        Add16(p, c.fixed() ? fixedOffset : 0);
        Add16(p, text ? c.characters * (jet4 ? 2 : 1) : c.fixedSize());
        if (c.fixed()) {
            fixedOffset += c.fixedSize();
        } else {
            ++variableNumber;
        }
    }
    for (const Column& c : columns) p += ColumnName(format, c.name);
    Add16(p, 0xFFFF);

    if (p.size() > format.pageSize()) throw std::invalid_argument("Jet table definition too long");
    Put32(p, 8, p.size() - 8);
    if (jet4) Put16(p, 2, format.pageSize() - p.size() - 8);
    p.resize(format.pageSize(), '\0');
    return p;
}

// Rows packed into data pages owned by the definition on `owner`, stored from the page's end
// towards its start. At least one page, so that an empty table has one.
std::vector<Bytes> DataPages(const Format& format, std::uint32_t owner,
                             const std::vector<Bytes>& rows) {
    std::vector<Bytes> pages;
    std::vector<const Bytes*> onPage;
    std::size_t used = 0;
    const std::size_t offsetsAt = format.rowCountAt() + 2;
    auto flush = [&] {
        Bytes page(format.pageSize(), '\0');
        page[0] = 0x01;
        page[1] = 0x01;
        Put32(page, 4, owner);
        Put16(page, format.rowCountAt(), onPage.size());
        std::size_t at = format.pageSize();
        for (std::size_t i = 0; i < onPage.size(); ++i) {
            at -= onPage[i]->size();
            std::copy(onPage[i]->begin(), onPage[i]->end(), page.begin() + at);
            Put16(page, offsetsAt + 2 * i, at);
        }
        Put16(page, 2, at - offsetsAt - 2 * onPage.size());
        pages.push_back(std::move(page));
        onPage.clear();
        used = 0;
    };
    for (const Bytes& row : rows) {
        if (offsetsAt + 2 * (onPage.size() + 1) + used + row.size() > format.pageSize()) {
            if (onPage.empty()) throw std::invalid_argument("Jet row longer than a page");
            flush();
        }
        onPage.push_back(&row);
        used += row.size();
    }
    if (!onPage.empty() || pages.empty()) flush();
    return pages;
}

// A usage map: type 0, the first page it covers (0), one bit per page. Sized as Access sizes
// them, or larger when the file has more pages than that covers.
Bytes UsageMap(const Format& format, std::uint32_t first, std::size_t count,
               std::size_t pagesInFile) {
    const std::size_t bitmapBytes =
        std::max<std::size_t>(format.jet4() ? 64 : 128, (pagesInFile + 7) / 8);
    Bytes map;
    Add8(map, 0);
    Add32(map, 0);
    Bytes bitmap(bitmapBytes, '\0');
    for (std::size_t page = first; page < first + count; ++page) {
        bitmap[page / 8] = static_cast<char>(bitmap[page / 8] | (1 << (page % 8)));
    }
    return map + bitmap;
}

// The header is masked with RC4 under the key every Jet file uses (0x6B39DAC7).
void MaskHeader(Bytes& page, std::size_t at, std::size_t length) {
    const std::array<std::uint8_t, 4> key{0xC7, 0xDA, 0x39, 0x6B};
    std::array<std::uint8_t, 256> s{};
    std::iota(s.begin(), s.end(), 0);
    for (std::size_t i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (std::size_t k = 0, i = 0, j = 0; k < length; ++k) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        page[at + k] = static_cast<char>(page[at + k] ^ s[(s[i] + s[j]) & 0xFF]);
    }
}

Bytes HeaderPage(const Format& format) {
    Bytes page(format.pageSize(), '\0');
    page[1] = 0x01;
    const std::string signature = "Standard Jet DB";
    std::copy(signature.begin(), signature.end(), page.begin() + 4);
    Put32(page, 0x14, format.jet4() ? 1 : 0);
    if (format.jet4()) {
        Put16(page, 0x6E, kSortGeneral);
    } else {
        Put16(page, 0x3A, kSortGeneral);
    }
    Put16(page, 0x3C, kCodePage1252);  // no encryption key, no password: zeros
    MaskHeader(page, 0x18, format.jet4() ? 128 : 126);
    return page;
}

struct TableColumn {
    Column column;
    // Which value of a row the column holds: 0 to 4 for the five, 5 + k for further column k.
    std::size_t source;
};

std::vector<TableColumn> TableColumns(const JetCatalogueOptions& options) {
    const std::vector<Column> five = {{"ID", kTypeLong},
                                      {"f_Name", kTypeText, kTextCharacters},
                                      {"f_Show", kTypeYesNo},
                                      {"f_Konica", kTypeText, kTextCharacters},
                                      {"f_Factory", kTypeText, kTextCharacters}};
    std::vector<TableColumn> ours;
    for (std::size_t i = 0; i < five.size(); ++i) {
        const auto& omitted = options.omittedColumns;
        if (std::find(omitted.begin(), omitted.end(), five[i].name) == omitted.end()) {
            ours.push_back({five[i], i});
        }
    }
    std::vector<TableColumn> further;
    for (std::size_t k = 0; k < options.furtherColumns.size(); ++k) {
        const JetColumn& c = options.furtherColumns[k];
        const std::uint32_t type = c.type == JetColumnType::LongInteger ? kTypeLong
                                   : c.type == JetColumnType::Text      ? kTypeText
                                                                        : kTypeYesNo;
        further.push_back({{c.name, type, kTextCharacters}, five.size() + k});
    }
    if (options.furtherColumnsFirst) std::swap(ours, further);
    ours.insert(ours.end(), further.begin(), further.end());
    return ours;
}

Cell FurtherCell(const Format& format, const Column& column, const JetValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return std::nullopt;
    if (column.type == kTypeLong && std::holds_alternative<std::int32_t>(value)) {
        return LongCell(std::get<std::int32_t>(value));
    }
    if (column.type == kTypeText && std::holds_alternative<std::string>(value)) {
        return TextCell(format, std::get<std::string>(value), column.characters);
    }
    if (column.type == kTypeYesNo && std::holds_alternative<bool>(value)) {
        return std::get<bool>(value) ? Cell(Bytes()) : std::nullopt;
    }
    throw std::invalid_argument("Jet value does not match its column " + column.name);
}

Cell RowCell(const Format& format, const TableColumn& c, const JetBodyPartRow& row) {
    auto text = [&](const std::optional<std::string>& value) -> Cell {
        if (!value) return std::nullopt;
        return TextCell(format, *value, c.column.characters);
    };
    switch (c.source) {
        case 0:
            return row.id ? Cell(LongCell(*row.id)) : std::nullopt;
        case 1:
            return text(row.name);
        case 2:
            return row.show ? Cell(Bytes()) : std::nullopt;
        case 3:
            return text(row.konica);
        case 4:
            return text(row.factory);
        default:
            break;
    }
    const std::size_t k = c.source - 5;
    if (k >= row.further.size()) {
        throw std::invalid_argument("Jet row lacks a value for column " + c.column.name);
    }
    return FurtherCell(format, c.column, row.further[k]);
}

}  // namespace

std::string JetUnicodeText(const std::string& utf8, bool compress) {
    const std::u16string units = Utf16(utf8);
    Bytes plain;
    for (char16_t u : units) Add16(plain, u);
    if (!compress) return plain;
    Bytes packed = "\xFF\xFE";
    bool oneByte = true;
    for (char16_t u : units) {
        if (u < 0x100) {
            if (!oneByte) packed += '\0';
            oneByte = true;
            Add8(packed, u);
        } else {
            // In two-byte mode a low byte of 0 would read as the switch back.
            if ((u & 0xFF) == 0) return plain;
            if (oneByte) packed += '\0';
            oneByte = false;
            Add16(packed, u);
        }
    }
    return packed.size() < plain.size() ? packed : plain;
}

void WriteJetCatalogue(const std::filesystem::path& file, JetVersion version,
                       const std::vector<JetBodyPartRow>& rows,
                       const JetCatalogueOptions& options) {
    const Format format{version};
    // Pages: 0 header, 1 usage maps, 2 and 3 the catalogue's definition and data, 4 the table's
    // definition, 5 on its data.
    constexpr std::uint32_t kMapsPage = 1;
    constexpr std::uint32_t kCatalogueDefinition = 2;
    constexpr std::uint32_t kCatalogueData = 3;
    constexpr std::uint32_t kTableDefinition = 4;
    constexpr std::uint32_t kTableData = 5;
    auto mapRow = [](std::uint32_t row) { return (kMapsPage << 8) | row; };

    const std::vector<TableColumn> tableColumns = TableColumns(options);
    std::vector<Column> columns;
    for (const TableColumn& c : tableColumns) columns.push_back(c.column);
    std::vector<Bytes> encodedRows;
    for (const JetBodyPartRow& row : rows) {
        std::vector<Cell> cells;
        for (const TableColumn& c : tableColumns) cells.push_back(RowCell(format, c, row));
        encodedRows.push_back(EncodeRow(format, columns, cells));
    }
    const std::vector<Bytes> tableData = DataPages(format, kTableDefinition, encodedRows);

    // The catalogue: what a reader needs of MSysObjects to find the table.
    const std::vector<Column> catalogueColumns = {{"Id", kTypeLong},
                                                  {"Name", kTypeText, kObjectNameCharacters},
                                                  {"Type", kTypeInteger},
                                                  {"Flags", kTypeLong},
                                                  {"LvProp", kTypeOle}};
    Bytes tableType;
    Add16(tableType, 1);
    const Bytes tableEntry = EncodeRow(
        format, catalogueColumns,
        {LongCell(kTableDefinition), TextCell(format, options.tableName, kObjectNameCharacters),
         tableType, LongCell(0), std::nullopt});
    const std::vector<Bytes> catalogueData = DataPages(format, kCatalogueDefinition, {tableEntry});

    const std::size_t pageCount = kTableData + tableData.size();
    const Bytes maps = DataPages(format, 0,
                                 {UsageMap(format, kCatalogueData, 1, pageCount),
                                  UsageMap(format, kCatalogueData, 1, pageCount),
                                  UsageMap(format, kTableData, tableData.size(), pageCount),
                                  UsageMap(format, kTableData, tableData.size(), pageCount)})
                           .front();

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << HeaderPage(format) << maps
        << TableDefinition(format, catalogueColumns, 1, true, mapRow(0), mapRow(1))
        << catalogueData.front()
        << TableDefinition(format, columns, static_cast<std::uint32_t>(rows.size()), false,
                           mapRow(2), mapRow(3));
    for (const Bytes& page : tableData) out << page;
    out.close();
    if (!out) throw std::runtime_error("Jet file not written: " + file.string());
}

std::vector<JetBodyPartRow> SampleJetCatalogue(std::size_t count) {
    static const std::vector<std::string> names = {"Schädel",
                                                   "Fuß",
                                                   "Hüfte beidseits",
                                                   "Knie a.–p.",
                                                   "Thorax",
                                                   "Halswirbelsäule",
                                                   "Ellenbogen",
                                                   "Hand",
                                                   "Sprunggelenk",
                                                   "Becken",
                                                   "Schulter",
                                                   "Nasennebenhöhlen",
                                                   "Oberschenkel",
                                                   "Unterarm",
                                                   "Lendenwirbelsäule",
                                                   "Zähne",
                                                   "Brustwirbelsäule",
                                                   "Rippen",
                                                   "Abdomen",
                                                   "Ösophagus"};
    std::vector<JetBodyPartRow> rows;
    for (std::size_t i = 0; i < count; ++i) {
        JetBodyPartRow row;
        row.id = static_cast<std::int32_t>(i + 1);
        row.name = names[i % names.size()];
        if (i >= names.size()) row.name += " " + std::to_string(i / names.size() + 1);
        row.show = i % 7 != 3;
        const std::string number = std::to_string(1000 + i);
        if (i % 5 == 2) {
            row.konica = std::nullopt;
        } else if (i % 11 == 4) {
            row.konica = "";
        } else {
            row.konica = (i % 13 == 0 ? "HÜ" : "K") + number;
        }
        if (i % 6 == 1) {
            row.factory = std::nullopt;
        } else {
            row.factory = "F-" + number;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace morvik::test
