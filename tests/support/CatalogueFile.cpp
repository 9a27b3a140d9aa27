#include "support/CatalogueFile.h"

#include <sqlite3.h>

#include "catalogue/Sqlite.h"

namespace morvik::test {

void MakeCatalogue(const std::filesystem::path& programFolder, const std::vector<CatalogueRow>& rows) {
    SqliteConnection db(programFolder / CatalogueFileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CreateCatalogueTable(db);
    ReplaceAllRows(db, rows);
    db.close();
}

}  // namespace morvik::test
