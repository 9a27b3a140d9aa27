// The Jet reader over mdbtools' libmdb. The library cracks pages and rows; the texts are taken
// as stored and decoded here (JetTextToUtf8), so that they come out the same whether or not the
// library was built with iconv, and whatever its environment variables say.
// mdbtools.h includes glib (where it has it) inside its extern "C"; glib's C++ parts must come
// first.
#if __has_include(<glib.h>)
#include <glib.h>
#endif
#include <mdbtools.h>

#include <cstring>
#include <utility>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "catalogue/JetTable.h"
#include "platform/FileSystem.h"

namespace morvik {

struct JetHandles {
    MdbHandle* mdb = nullptr;
    ~JetHandles() {
        if (mdb != nullptr) mdb_close(mdb);
    }
};

namespace {

MdbTableDef* tableDef(void* table) {
    return static_cast<MdbTableDef*>(table);
}

MdbColumn* columnAt(void* table, std::size_t column) {
    return static_cast<MdbColumn*>(g_ptr_array_index(tableDef(table)->columns, column));
}

JetTable::Kind kindOf(int type) {
    switch (type) {
        case MDB_BOOL:
            return JetTable::Kind::Boolean;
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            return JetTable::Kind::Integer;
        case MDB_TEXT:
            return JetTable::Kind::Text;
        default:
            return JetTable::Kind::Other;
    }
}

}  // namespace

bool JetReadingAvailable() {
    return true;
}

JetDatabase::JetDatabase(const std::filesystem::path& file) : file_(file) {
    format_ = JetFormatOfFile(file);
    if (format_ == JetFormat::NotJet) {
        throw AppError(err::JetUnreadable, Utf8Path(file) + " ist keine Jet-Datenbank");
    }
    auto handles = std::make_shared<JetHandles>();
    handles->mdb = mdb_open(Utf8Path(file).c_str(), MDB_NOFLAGS);
    if (handles->mdb == nullptr || mdb_read_catalog(handles->mdb, MDB_ANY) == nullptr) {
        throw AppError(
            err::JetUnreadable,
            Utf8Path(file) + " kann nicht als Jet-Datenbank gelesen werden (beschädigt?)");
    }
    handles_ = std::move(handles);
}

JetDatabase::~JetDatabase() = default;

std::vector<std::string> JetDatabase::TableNames() const {
    std::vector<std::string> names;
    MdbHandle* mdb = handles_->mdb;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry)) {
            names.emplace_back(entry->object_name);  // UTF-8 from the library
        }
    }
    return names;
}

JetTable JetDatabase::Table(std::string_view name) const {
    MdbHandle* mdb = handles_->mdb;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !SameIgnoringCase(entry->object_name, name)) {
            continue;
        }
        MdbTableDef* table = mdb_read_table(entry);
        if (table == nullptr || mdb_read_columns(table) == nullptr) {
            if (table != nullptr) mdb_free_tabledef(table);
            throw AppError(err::JetUnreadable, "Die Tabelle " + std::string(name) + " in " +
                                                   Utf8Path(file_) +
                                                   " kann nicht gelesen werden (beschädigt?)");
        }
        mdb_rewind_table(table);
        return JetTable(handles_, table, format_);
    }
    throw AppError(err::JetTableMissing,
                   "Die Tabelle " + std::string(name) + " fehlt in " + Utf8Path(file_));
}

JetTable::JetTable(std::shared_ptr<JetHandles> handles, void* table, JetFormat format)
    : handles_(std::move(handles)), table_(table), format_(format) {
    MdbTableDef* def = tableDef(table_);
    name_ = def->name;
    for (unsigned c = 0; c < def->num_cols; ++c) {
        MdbColumn* column = columnAt(table_, c);
        columns_.push_back({column->name, kindOf(column->col_type)});
    }
}

JetTable::JetTable(JetTable&& other) noexcept
    : handles_(std::move(other.handles_)),
      table_(std::exchange(other.table_, nullptr)),
      format_(other.format_),
      name_(std::move(other.name_)),
      columns_(std::move(other.columns_)) {}

JetTable::~JetTable() {
    if (table_ != nullptr) mdb_free_tabledef(tableDef(table_));
}

std::optional<std::size_t> JetTable::FindColumn(std::string_view name) const {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (SameIgnoringCase(columns_[c].name, name)) return c;
    }
    return std::nullopt;
}

bool JetTable::Next() {
    return mdb_fetch_row(tableDef(table_)) != 0;
}

std::string_view JetTable::stored(std::size_t column) const {
    const MdbColumn* col = columnAt(table_, column);
    const MdbHandle* mdb = handles_->mdb;
    const auto start = static_cast<std::size_t>(col->cur_value_start);
    const auto length = static_cast<std::size_t>(col->cur_value_len);
    if (length == 0) return {};
    if (start > sizeof mdb->pg_buf || length > sizeof mdb->pg_buf - start) {
        throw AppError(err::JetUnreadable, "Ein Wert der Spalte " + columns_[column].name +
                                               " liegt außerhalb seiner Seite (beschädigt?)");
    }
    return {reinterpret_cast<const char*>(mdb->pg_buf) + start, length};
}

namespace {

void requireKind(const JetTable::Column& column, JetTable::Kind kind) {
    if (column.kind != kind) {
        throw AppError(err::TypeMismatch, "Die Spalte " + column.name + " hat einen anderen Typ");
    }
}

}  // namespace

std::optional<std::string> JetTable::Text(std::size_t column) const {
    requireKind(columns_.at(column), Kind::Text);
    // libmdb gives Null and an empty text alike (no bytes); both read as empty here.
    const std::string_view bytes = stored(column);
    if (bytes.empty()) return std::nullopt;
    return JetTextToUtf8(bytes, format_);
}

std::optional<std::int64_t> JetTable::Integer(std::size_t column) const {
    requireKind(columns_.at(column), Kind::Integer);
    const std::string_view bytes = stored(column);
    const auto byte = [&](std::size_t i) {
        return static_cast<std::uint32_t>(std::uint8_t(bytes[i]));
    };
    switch (bytes.size()) {
        case 0:
            return std::nullopt;
        case 1:
            return byte(0);  // Byte: unsigned
        case 2:
            return static_cast<std::int16_t>(byte(0) | byte(1) << 8);
        case 4:
            return static_cast<std::int32_t>(byte(0) | byte(1) << 8 | byte(2) << 16 |
                                             byte(3) << 24);
        default:
            throw AppError(err::JetUnreadable,
                           "Die Zahl in der Spalte " + columns_[column].name + " ist beschädigt");
    }
}

bool JetTable::Truth(std::size_t column) const {
    requireKind(columns_.at(column), Kind::Boolean);
    // Jet keeps Yes/No in the row's null mask; libmdb hands it over as "is null", which for
    // this type means No.
    return columnAt(table_, column)->cur_value_len == 0;
}

}  // namespace morvik
