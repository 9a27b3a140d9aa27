#include "catalogue/CatalogueTable.h"

#include <sqlite3.h>

#include <memory>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"

namespace morvik {

namespace {

// No index on f_Name: see GermanCollation.h. The CHECK keeps the Yes/No column to the two
// values that "f_Show = True" and "f_Show = False" compare with.
constexpr const char* CreateTable =
    "CREATE TABLE IF NOT EXISTS tblBodypart (\n"
    "  ID INTEGER PRIMARY KEY,\n"
    "  f_Name TEXT NOT NULL COLLATE NOCASE,\n"
    "  f_Show BOOLEAN CHECK (f_Show IN (0, 1)),\n"
    "  f_Konica TEXT,\n"
    "  f_Factory TEXT\n"
    ")";

constexpr const char* SelectShown = "SELECT * FROM tblBodypart WHERE f_Show = True ORDER BY f_Name";
constexpr const char* SelectAll = "SELECT * FROM tblBodypart";
constexpr const char* UpdateShow = "UPDATE tblBodypart SET f_Show = ? WHERE ID = ?";
constexpr const char* DeleteAll = "DELETE FROM tblBodypart";
constexpr const char* InsertRow =
    "INSERT INTO tblBodypart (ID, f_Name, f_Show, f_Konica, f_Factory) VALUES (?, ?, ?, ?, ?)";

}  // namespace

void CreateCatalogueTable(SqliteConnection& db) {
    db.Execute(CreateTable);
}

std::vector<BodyPartEntry> SelectShownBodyParts(SqliteConnection& db) {
    return SelectBodyParts(db, SelectShown);
}

std::vector<BodyPartEntry> SelectBodyParts(SqliteConnection& db, std::string_view sql) {
    SqliteStatement query(db, sql);
    const int name = query.Column("f_Name");
    const int konica = query.Column("f_Konica");
    const int factory = query.Column("f_Factory");
    std::vector<BodyPartEntry> entries;
    while (query.Step()) {
        entries.push_back({query.Text(name), query.Text(konica), query.Text(factory)});
    }
    return entries;
}

void SelectAllRows(SqliteConnection& db, const std::function<void(const CatalogueRow&)>& row) {
    SqliteStatement query(db, SelectAll);
    const int id = query.Column("ID");
    const int name = query.Column("f_Name");
    const int show = query.Column("f_Show");
    const int konica = query.Column("f_Konica");
    const int factory = query.Column("f_Factory");
    while (query.Step()) {
        CatalogueRow current;
        current.id = query.Integer(id);
        current.name = query.Text(name);
        std::optional<bool> shown = query.Truth(show);
        if (!shown) {
            throw AppError(
                err::InvalidUseOfNull,
                "f_Show ist kein Ja/Nein-Wert in der Zeile mit ID " + std::to_string(current.id));
        }
        current.show = *shown;
        current.abbreviation = query.Text(konica);
        current.factoryCode = query.Text(factory);
        row(current);
    }
}

void UpdateShowFlags(SqliteConnection& db,
                     const std::vector<std::pair<std::int64_t, bool>>& flags) {
    SqliteTransaction transaction(db);
    SqliteStatement update(db, UpdateShow);
    for (const auto& [id, shown] : flags) {
        update.Bind(1, std::int64_t{shown ? 1 : 0});
        update.Bind(2, id);
        update.Step();
        update.Reset();
    }
    transaction.Commit();
}

void ReplaceAllRows(SqliteConnection& db, const std::vector<CatalogueRow>& rows) {
    SqliteTransaction transaction(db);
    CreateCatalogueTable(db);
    db.Execute(DeleteAll);
    SqliteStatement insert(db, InsertRow);
    for (const CatalogueRow& row : rows) {
        insert.Bind(1, row.id);
        insert.Bind(2, row.name);
        insert.Bind(3, std::int64_t{row.show ? 1 : 0});
        insert.Bind(4, row.abbreviation);
        insert.Bind(5, row.factoryCode);
        insert.Step();
        insert.Reset();
    }
    transaction.Commit();
}

std::string CatalogueFileImage(const std::vector<CatalogueRow>& rows) {
    SqliteConnection db(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ReplaceAllRows(db, rows);
    sqlite3_int64 size = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> image(
        sqlite3_serialize(db.Get(), "main", &size, 0), &sqlite3_free);
    if (!image) throw SqliteError(db.Get(), "Anlegen des Katalogs");
    return std::string(reinterpret_cast<const char*>(image.get()), static_cast<std::size_t>(size));
}

}  // namespace morvik
