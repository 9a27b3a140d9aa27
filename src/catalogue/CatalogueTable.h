#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/BodyPartEntry.h"
#include "catalogue/Sqlite.h"

namespace morvik {

// The table tblBodypart in Bodypart.mdb and the statements run against it, shared by the
// program's connection and the support tool.

// One row of tblBodypart. Null abbreviation and factory code read as empty.
struct CatalogueRow {
    std::int64_t id = 0;
    std::string name;
    bool show = false;
    std::string abbreviation;  // f_Konica
    std::string factoryCode;   // f_Factory

    bool operator==(const CatalogueRow&) const = default;
};

// The file name of the catalogue in the program folder.
inline constexpr const char* CatalogueFileName = "Bodypart.mdb";

// Creates tblBodypart on an empty database; does nothing if the table is there.
void CreateCatalogueTable(SqliteConnection& db);

// The start-up query: shown rows in name order (German order once UseGermanNameOrder is on).
std::vector<BodyPartEntry> SelectShownBodyParts(SqliteConnection& db);
// Name, abbreviation and factory code of each row a query over tblBodypart yields.
std::vector<BodyPartEntry> SelectBodyParts(SqliteConnection& db, std::string_view sql);

// Every row in the order the database delivers it. Throws AppError at a row whose f_Show is
// Null or no truth value; the rows before it have been handed to `row` already.
void SelectAllRows(SqliteConnection& db, const std::function<void(const CatalogueRow&)>& row);

// Sets f_Show of each (ID, shown) pair, all in one transaction: on failure nothing changes.
void UpdateShowFlags(SqliteConnection& db, const std::vector<std::pair<std::int64_t, bool>>& flags);

// Replaces every row of the table with `rows`, in one transaction.
void ReplaceAllRows(SqliteConnection& db, const std::vector<CatalogueRow>& rows);

// The bytes of a whole catalogue file holding `rows`, made in memory, to be written in one
// piece (a file that is there is then either complete or absent).
std::string CatalogueFileImage(const std::vector<CatalogueRow>& rows);

}  // namespace morvik
