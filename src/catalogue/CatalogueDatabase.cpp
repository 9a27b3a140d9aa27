#include "catalogue/CatalogueDatabase.h"

#include <sqlite3.h>

#include "base/ErrorNumbers.h"
#include "catalogue/GermanCollation.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

// Long enough to ride out the support tool's import, short enough not to freeze the window.
constexpr int BusyTimeoutMs = 2000;

}  // namespace

CatalogueDatabase::CatalogueDatabase(std::filesystem::path programFolder, ErrorLog& log)
    : programFolder_(std::move(programFolder)), log_(log) {}

std::filesystem::path CatalogueDatabase::File() const {
    return programFolder_ / CatalogueFileName;
}

bool CatalogueDatabase::IsOpen() const {
    return connection_.IsOpen();
}

void CatalogueDatabase::Open() {
    trap(log_, trapname::CatalogueConnection, [&] {
        if (!IsOpen()) openFile();
    });
}

void CatalogueDatabase::Close() {
    trap(log_, trapname::CatalogueConnection, [&] { closeFile(); });
}

void CatalogueDatabase::openFile() {
    // Without SQLITE_OPEN_CREATE: a missing catalogue is a failure, not a new empty file.
    SqliteConnection db(File(), SQLITE_OPEN_READWRITE);
    sqlite3_busy_timeout(db.Get(), BusyTimeoutMs);
    UseGermanNameOrder(db.Get());
    // SQLite reads the file lazily; read the schema now so that a file that is no database
    // fails here, under "Connection", like a missing one.
    if (sqlite3_exec(db.Get(), "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        throw SqliteError(db.Get(), "Öffnen von " + Utf8Path(File()));
    }
    connection_ = std::move(db);
}

void CatalogueDatabase::closeFile() {
    requireOpenConnection().Close();
}

SqliteConnection& CatalogueDatabase::requireOpenConnection() {
    if (!IsOpen()) {
        throw AppError(err::DatabaseClosed,
                       "Die Verbindung zu " + Utf8Path(File()) + " ist nicht geöffnet");
    }
    return connection_;
}

std::vector<BodyPartEntry> CatalogueDatabase::ShownBodyParts() {
    return SelectShownBodyParts(requireOpenConnection());
}

void CatalogueDatabase::ForEachRow(const std::function<void(const CatalogueRow&)>& row) {
    SelectAllRows(requireOpenConnection(), row);
}

void CatalogueDatabase::SetShowFlags(const std::vector<std::pair<std::int64_t, bool>>& flags) {
    UpdateShowFlags(requireOpenConnection(), flags);
}

}  // namespace morvik
