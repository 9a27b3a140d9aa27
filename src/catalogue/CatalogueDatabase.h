#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "base/BodyPartEntry.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/Sqlite.h"
#include "diag/ErrorLog.h"

namespace morvik {

// The program's one connection to Bodypart.mdb in the program folder. Users open it with
// Open(), run their statements and close it with Close(); a user whose trap fired
// in between leaves it open, and the next Open() carries on with it.
class CatalogueDatabase {
  public:
    CatalogueDatabase(std::filesystem::path programFolder, ErrorLog& log);

    // Opens unless open; closes. Failures (a missing or broken file, closing what is not open)
    // are logged under "Connection" and go no further.
    void Open();
    void Close();
    bool IsOpen() const;
    std::filesystem::path File() const;

    // "SELECT * FROM tblBodypart WHERE f_Show = True ORDER BY f_Name", in German name order.
    std::vector<BodyPartEntry> ShownBodyParts();
    // "SELECT * FROM tblBodypart", every row in delivery order. Throws at a row whose f_Show
    // is Null; the rows before it were delivered already.
    void ForEachRow(const std::function<void(const CatalogueRow&)>& row);
    // The show flag of each (ID, shown) pair, in one transaction: on failure nothing changes.
    void SetShowFlags(const std::vector<std::pair<std::int64_t, bool>>& flags);

    // All three throw AppError: err::DatabaseClosed when the connection is not open,
    // err::Database when SQLite fails.

  private:
    void openFile();
    void closeFile();
    // The connection if it is open; otherwise throws err::DatabaseClosed.
    SqliteConnection& requireOpenConnection();

    std::filesystem::path programFolder_;
    ErrorLog& log_;
    SqliteConnection connection_;
};

}  // namespace morvik
