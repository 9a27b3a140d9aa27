#include "catalogue/Sqlite.h"

#include <sqlite3.h>

#include <utility>

#include "base/ErrorNumbers.h"
#include "platform/FileSystem.h"

namespace morvik {

AppError SqliteError(sqlite3* db, std::string_view what) {
    std::string text(what);
    text += ": ";
    text += db != nullptr ? sqlite3_errmsg(db) : "SQLite hat keinen Speicher bekommen";
    return AppError(err::Database, text);
}

SqliteConnection::SqliteConnection(const std::filesystem::path& file, int flags) {
    sqlite3* db = nullptr;
    // SQLite takes file names in UTF-8 on every platform.
    const std::u8string name = file.u8string();
    int rc = sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        AppError error = SqliteError(db, "Öffnen von " + Utf8Path(file));
        sqlite3_close_v2(db);
        throw error;
    }
    sqlite3_extended_result_codes(db, 1);
    db_ = db;
}

SqliteConnection::~SqliteConnection() {
    if (db_ != nullptr) sqlite3_close_v2(db_);
}

SqliteConnection::SqliteConnection(SqliteConnection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)) {}

SqliteConnection& SqliteConnection::operator=(SqliteConnection&& other) noexcept {
    if (this != &other) {
        if (db_ != nullptr) sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

void SqliteConnection::Execute(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw SqliteError(db_, sql);
    }
}

void SqliteConnection::Close() {
    if (db_ == nullptr) return;
    if (sqlite3_close(db_) != SQLITE_OK) throw SqliteError(db_, "Schließen der Datenbank");
    db_ = nullptr;
}

SqliteStatement::SqliteStatement(SqliteConnection& connection, std::string_view sql)
    : db_(connection.Get()) {
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
        SQLITE_OK) {
        throw SqliteError(db_, sql);
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

bool SqliteStatement::Step() {
    int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw SqliteError(db_, sqlite3_sql(statement_));
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

void SqliteStatement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) {
        throw SqliteError(db_, sqlite3_sql(statement_));
    }
}

void SqliteStatement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        throw SqliteError(db_, sqlite3_sql(statement_));
    }
}

int SqliteStatement::Column(std::string_view name) const {
    int count = sqlite3_column_count(statement_);
    for (int i = 0; i < count; ++i) {
        if (sqlite3_strnicmp(sqlite3_column_name(statement_, i), name.data(),
                             static_cast<int>(name.size())) == 0 &&
            sqlite3_column_name(statement_, i)[name.size()] == '\0') {
            return i;
        }
    }
    throw AppError(err::Database, "Spalte " + std::string(name) + " fehlt in " +
                                      std::string(sqlite3_sql(statement_)));
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string SqliteStatement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    if (text == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::optional<bool> SqliteStatement::Truth(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_INTEGER:
            return sqlite3_column_int64(statement_, column) != 0;
        case SQLITE_FLOAT:
            return sqlite3_column_double(statement_, column) != 0.0;
        default:
            return std::nullopt;
    }
}

SqliteTransaction::SqliteTransaction(SqliteConnection& connection) : connection_(connection) {
    connection_.Execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
    // Nothing useful can be done if the rollback fails; SQLite then rolls back on close.
    if (open_) sqlite3_exec(connection_.Get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit() {
    connection_.Execute("COMMIT");
    open_ = false;
}

}  // namespace morvik
