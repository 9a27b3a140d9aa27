#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/CatalogueTable.h"
#include "diag/ErrorLog.h"

namespace morvik::test {

// Writes Bodypart.mdb with these rows into a program folder.
void MakeCatalogue(const std::filesystem::path& programFolder,
                   const std::vector<CatalogueRow>& rows);

// Creates Bodypart.mdb in `folder` with the program's schema, then runs `sql` on it.
void MakeCatalogue(const std::filesystem::path& folder, const std::string& sql);

// Runs a query on a plain SQLite connection, as the sqlite3 shell would, and returns each
// row's columns joined by "|" ("NULL" for Null). Throws AppError if SQLite fails.
std::vector<std::string> PlainQuery(const std::filesystem::path& file, const std::string& sql);

// One line of the error log: its number and the text after it ("description - procedure").
struct LoggedError {
    std::int32_t number;
    std::string text;
    bool loggedUnder(const std::string& procedure) const {
        return text.ends_with(" - " + procedure);
    }
};
std::vector<LoggedError> LoggedErrors(const ErrorLog& log);

}  // namespace morvik::test
