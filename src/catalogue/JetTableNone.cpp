// A build without libmdb (Windows without mdbtools in its cache): Jet files are recognised by
// their header but not read.
#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "catalogue/JetTable.h"
#include "platform/FileSystem.h"

namespace morvik {

struct JetHandles {};

bool JetReadingAvailable() {
    return false;
}

JetDatabase::JetDatabase(const std::filesystem::path& file) : file_(file) {
    throw AppError(err::JetUnsupported,
                   "Diese Ausgabe von Morvik kann Jet-Dateien nicht lesen: " + Utf8Path(file));
}

JetDatabase::~JetDatabase() = default;

std::vector<std::string> JetDatabase::TableNames() const {
    return {};
}

JetTable JetDatabase::Table(std::string_view) const {
    throw AppError(err::JetUnsupported, "Diese Ausgabe von Morvik kann Jet-Dateien nicht lesen");
}

JetTable::JetTable(JetTable&&) noexcept = default;
JetTable::~JetTable() = default;

std::optional<std::size_t> JetTable::FindColumn(std::string_view) const {
    return std::nullopt;
}
bool JetTable::Next() {
    return false;
}
std::optional<std::string> JetTable::Text(std::size_t) const {
    return std::nullopt;
}
std::optional<std::int64_t> JetTable::Integer(std::size_t) const {
    return std::nullopt;
}
bool JetTable::Truth(std::size_t) const {
    return false;
}

}  // namespace morvik
