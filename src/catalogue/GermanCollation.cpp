#include "catalogue/GermanCollation.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <string>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "catalogue/Sqlite.h"

namespace morvik {

namespace {

int compareGerman(void* collator, int leftLength, const void* left, int rightLength,
                  const void* right) {
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult result =
        ucol_strcollUTF8(static_cast<UCollator*>(collator), static_cast<const char*>(left),
                         leftLength, static_cast<const char*>(right), rightLength, &status);
    if (U_FAILURE(status)) {
        // Only malformed UTF-8 gets here; fall back to byte order so the sort stays total.
        int common = leftLength < rightLength ? leftLength : rightLength;
        int bytes = std::char_traits<char>::compare(static_cast<const char*>(left),
                                                    static_cast<const char*>(right),
                                                    static_cast<std::size_t>(common));
        return bytes != 0 ? bytes : leftLength - rightLength;
    }
    return static_cast<int>(result);
}

void closeCollator(void* collator) {
    ucol_close(static_cast<UCollator*>(collator));
}

}  // namespace

void UseGermanNameOrder(sqlite3* db) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("de", &status);
    if (U_FAILURE(status)) {
        throw AppError(err::Database,
                       std::string("Deutsche Sortierung nicht verfügbar: ") + u_errorName(status));
    }
    // Secondary strength: accents count (Ä after A, before B), case does not.
    ucol_setStrength(collator, UCOL_SECONDARY);
    // From here on SQLite closes the collator with the connection, but not if registering fails.
    if (sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, collator, compareGerman,
                                    closeCollator) != SQLITE_OK) {
        ucol_close(collator);
        throw SqliteError(db, "Registrieren der deutschen Sortierung");
    }
}

}  // namespace morvik
