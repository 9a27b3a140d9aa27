#include "catalogue/GermanCollation.h"

#include <sqlite3.h>

#include "base/Text.h"
#include "catalogue/Sqlite.h"

namespace morvik {

namespace {

int compareGerman(void*, int leftLength, const void* left, int rightLength, const void* right) {
    return CompareGerman(
        std::string_view(static_cast<const char*>(left), static_cast<std::size_t>(leftLength)),
        std::string_view(static_cast<const char*>(right), static_cast<std::size_t>(rightLength)));
}

}  // namespace

void UseGermanNameOrder(sqlite3* db) {
    if (sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, compareGerman, nullptr) !=
        SQLITE_OK) {
        throw SqliteError(db, "Registrieren der deutschen Sortierung");
    }
}

}  // namespace morvik
