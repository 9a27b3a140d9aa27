#pragma once

struct sqlite3;

namespace morvik {

// Makes "ORDER BY f_Name" on this connection sort names as a German reader expects: case does
// not count, Ä, Ö and Ü stand beside A, O and U, and ß is read as ss.
//
// The column is declared COLLATE NOCASE, a collation every SQLite build knows, so the file still
// opens in the plain sqlite3 shell; our own connections replace NOCASE with CompareGerman (ICU's
// German collator, on Windows the system's own). The two agree on what counts as equal for plain
// ASCII names, which is why no index may be built on f_Name: its order would be the shell's, not
// ours.
// Throws AppError if the collation cannot be registered.
void UseGermanNameOrder(sqlite3* db);

}  // namespace morvik
