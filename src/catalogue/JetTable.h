#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

// Reading Jet (Microsoft Access) databases through mdbtools' libmdb: the catalogue of older
// installations is a Jet file. Only reading: nothing here writes to a Jet file.

enum class JetFormat {
    NotJet,
    Jet3,  // Access 97: texts in the code page of the machine that wrote them
    Jet4,  // Access 2000-2003: texts in UCS-2, optionally compressed
    Ace,   // Access 2007 and later (.accdb), texts as in Jet 4
};

// The format the first bytes of a file announce. Fewer than 32 bytes are no Jet file.
JetFormat JetFormatOfHeader(std::string_view head);
// The format of a file by its header. Throws AppError (53, 70, 75) when it cannot be read.
JetFormat JetFormatOfFile(const std::filesystem::path& file);
// "Jet 3", "Jet 4", "ACE".
std::string_view JetFormatName(JetFormat format);

// Whether this build can read Jet files at all (a Windows build without libmdb cannot).
bool JetReadingAvailable();

// Text as a Jet file stores it, turned into UTF-8: Jet 4 and ACE hold UCS-2 (little-endian),
// or, after the mark FF FE, a "compressed" form where each 00 byte switches between one byte per
// character (Latin-1) and two; Jet 3 holds bytes in the writing machine's ANSI code page.
std::string JetTextToUtf8(std::string_view stored, JetFormat format);

struct JetHandles;

// One table, read row by row in the order the file stores it.
class JetTable {
  public:
    enum class Kind { Boolean, Integer, Text, Other };
    struct Column {
        std::string name;
        Kind kind = Kind::Other;
    };

    ~JetTable();
    JetTable(JetTable&&) noexcept;
    JetTable(const JetTable&) = delete;
    JetTable& operator=(const JetTable&) = delete;
    JetTable& operator=(JetTable&&) = delete;

    const std::string& Name() const { return name_; }
    const std::vector<Column>& Columns() const { return columns_; }
    // The index of a column, its name compared without letter case as Jet does; nullopt when
    // there is none.
    std::optional<std::size_t> FindColumn(std::string_view name) const;

    // Moves to the next row; false after the last.
    bool Next();
    // The current row's values. Text and Integer give nullopt for Null; a Yes/No column is
    // never Null in Jet. Each throws AppError (13) when the column is of another kind.
    std::optional<std::string> Text(std::size_t column) const;
    std::optional<std::int64_t> Integer(std::size_t column) const;
    bool Truth(std::size_t column) const;

  private:
    friend class JetDatabase;
    JetTable(std::shared_ptr<JetHandles> handles, void* table, JetFormat format);
    // The bytes of a column's value on the current row, in the library's page buffer.
    std::string_view stored(std::size_t column) const;

    std::shared_ptr<JetHandles> handles_;
    void* table_ = nullptr;  // MdbTableDef
    JetFormat format_;
    std::string name_;
    std::vector<Column> columns_;
};

// An open Jet database, read-only. Throws AppError err::JetUnreadable when libmdb cannot open
// it (damaged, not Jet, or no Jet support in this build).
class JetDatabase {
  public:
    explicit JetDatabase(const std::filesystem::path& file);
    ~JetDatabase();
    JetDatabase(const JetDatabase&) = delete;
    JetDatabase& operator=(const JetDatabase&) = delete;

    JetFormat Format() const { return format_; }
    // The user tables, in catalogue order.
    std::vector<std::string> TableNames() const;
    // A table by name (letter case aside). Throws AppError err::JetTableMissing.
    JetTable Table(std::string_view name) const;

  private:
    std::filesystem::path file_;
    std::shared_ptr<JetHandles> handles_;
    JetFormat format_ = JetFormat::NotJet;
};

}  // namespace morvik
