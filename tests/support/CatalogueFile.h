#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/CatalogueTable.h"

namespace morvik::test {

// Writes Bodypart.mdb with these rows into a program folder.
void MakeCatalogue(const std::filesystem::path& programFolder,
                   const std::vector<CatalogueRow>& rows);

// Creates Bodypart.mdb in `folder` with the program's schema, then runs `sql` on it.
void MakeCatalogue(const std::filesystem::path& folder, const std::string& sql);

// Runs a query on a plain SQLite connection, as the sqlite3 shell would, and returns each
// row's columns joined by "|" ("NULL" for Null). Throws AppError if SQLite fails.
std::vector<std::string> PlainQuery(const std::filesystem::path& file, const std::string& sql);

}  // namespace morvik::test
