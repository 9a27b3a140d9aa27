#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/AppError.h"

struct sqlite3;
struct sqlite3_stmt;

namespace morvik {

// A thin RAII layer over the SQLite C API. Every failing call becomes an AppError with
// err::Database and SQLite's own message, so the error log says what the engine said.

// The failure of the last call on `db`, described as "<what>: <SQLite message>".
AppError SqliteError(sqlite3* db, std::string_view what);

class SqliteConnection {
  public:
    SqliteConnection() = default;
    // Opens `file` with the sqlite3_open_v2 flags given; throws AppError on failure.
    SqliteConnection(const std::filesystem::path& file, int flags);
    ~SqliteConnection();
    SqliteConnection(SqliteConnection&& other) noexcept;
    SqliteConnection& operator=(SqliteConnection&& other) noexcept;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    bool IsOpen() const { return db_ != nullptr; }
    sqlite3* Get() const { return db_; }

    // Runs statements that return no rows. Throws AppError.
    void Execute(const char* sql);
    // Closes the connection; throws AppError if SQLite refuses (the handle is then kept).
    void Close();

  private:
    sqlite3* db_ = nullptr;
};

// One prepared statement. Columns are read by name, as the table's users know them.
class SqliteStatement {
  public:
    SqliteStatement(SqliteConnection& connection, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // True while there is a row to read, false at the end. Throws AppError on failure.
    bool Step();
    void Reset();

    void Bind(int index, std::int64_t value);
    void Bind(int index, std::string_view text);

    // The index of a column of the result, or throws AppError if the result has none such.
    int Column(std::string_view name) const;
    bool IsNull(int column) const;
    std::int64_t Integer(int column) const;
    // The text of a column; Null reads as empty.
    std::string Text(int column) const;
    // The column's value as a truth value; Null or a value that is no number gives nullopt.
    std::optional<bool> Truth(int column) const;

  private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT. Destroyed without Commit() it rolls back.
class SqliteTransaction {
  public:
    explicit SqliteTransaction(SqliteConnection& connection);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void Commit();

  private:
    SqliteConnection& connection_;
    bool open_ = true;
};

}  // namespace morvik
