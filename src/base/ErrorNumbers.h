#pragma once

#include <cstdint>

namespace morvik::err {

// Error numbers written to the log. Support staff know the classic run-time numbers, so the
// common file and conversion failures keep them; the program's own failures start at 1000.
inline constexpr std::int32_t InvalidCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t OutOfRange = 9;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t FileAlreadyOpen = 55;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t InvalidUseOfNull = 94;  // a Null where a value is needed

inline constexpr std::int32_t CounterCorrupt = 1001;     // AccNum.dat holds no whole number
inline constexpr std::int32_t CounterExhausted = 1002;   // the next number does not fit
inline constexpr std::int32_t NoAccessionNumber = 1003;  // an order needed a number and got none
inline constexpr std::int32_t CounterWentBack = 1004;    // AccNum.dat lost numbers already issued
inline constexpr std::int32_t OrderWrite = 1010;         // an order file could not be put in place
inline constexpr std::int32_t NotRegularFile = 1011;     // a link or something else, not a file
inline constexpr std::int32_t FileTooLarge = 1012;       // too large to be a request
inline constexpr std::int32_t FolderNotFlushed = 1013;   // the system cannot flush a folder
inline constexpr std::int32_t OrderCompleted = 1040;     // start-up finished an interrupted order
inline constexpr std::int32_t OrderRolledBack = 1041;    // start-up took an interrupted order back
inline constexpr std::int32_t RecoveryFailed = 1042;    // an interrupted order could not be settled
inline constexpr std::int32_t Database = 1020;          // SQLite reported a failure
inline constexpr std::int32_t DatabaseClosed = 1021;    // a statement ran on a closed connection
inline constexpr std::int32_t SettingsWrite = 1030;     // Settings.ini could not be written
inline constexpr std::int32_t JetUnreadable = 1050;     // a Jet file cannot be read (damaged)
inline constexpr std::int32_t JetTableMissing = 1051;   // tblBodypart is not in the Jet file
inline constexpr std::int32_t JetColumnMissing = 1052;  // a column of tblBodypart is missing
inline constexpr std::int32_t JetRowRefused = 1053;     // a row without or with a repeated ID
inline constexpr std::int32_t JetHeldOpen = 1054;       // another program has the Jet file open
inline constexpr std::int32_t JetUnsupported = 1055;    // this build reads no Jet files
inline constexpr std::int32_t CatalogueTakenOver = 1056;   // a Jet catalogue was taken over
inline constexpr std::int32_t WorklistUnavailable = 1060;  // this build writes no worklist items
inline constexpr std::int32_t WorklistEncoding = 1061;     // DCMTK could not encode an item

}  // namespace morvik::err
