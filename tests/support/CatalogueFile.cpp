#include "support/CatalogueFile.h"

#include <sqlite3.h>

#include "catalogue/Sqlite.h"
#include "support/TempFolder.h"

namespace morvik::test {

void MakeCatalogue(const std::filesystem::path& programFolder,
                   const std::vector<CatalogueRow>& rows) {
    SqliteConnection db(programFolder / CatalogueFileName,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CreateCatalogueTable(db);
    ReplaceAllRows(db, rows);
    db.Close();
}

void MakeCatalogue(const std::filesystem::path& folder, const std::string& sql) {
    SqliteConnection db(folder / CatalogueFileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CreateCatalogueTable(db);
    db.Execute(sql.c_str());
}

std::vector<std::string> PlainQuery(const std::filesystem::path& file, const std::string& sql) {
    SqliteConnection db(file, SQLITE_OPEN_READONLY);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db.Get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        throw SqliteError(db.Get(), sql);
    }
    std::vector<std::string> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        std::string row;
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            if (c > 0) row += '|';
            const unsigned char* text = sqlite3_column_text(statement, c);
            row += text != nullptr ? reinterpret_cast<const char*>(text) : "NULL";
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) throw SqliteError(db.Get(), sql);
    return rows;
}

}  // namespace morvik::test
