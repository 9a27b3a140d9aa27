#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ByteBuffer.h"

namespace morvik {

namespace fs = std::filesystem;

// An open file as the system hands it out: a descriptor, on Windows a HANDLE.
#ifdef _WIN32
using NativeFile = void*;
inline constexpr NativeFile kNoFile = nullptr;
#else
using NativeFile = int;
inline constexpr NativeFile kNoFile = -1;
#endif

// An open file read from its start by position (never by its file pointer), to its end or until
// more than `stopAfter` bytes are read, whichever comes first. `name` is for the message of the
// AppError thrown when reading fails.
std::string ReadFromStart(NativeFile file, std::uint64_t stopAfter, const fs::path& name);

// How many bytes ReadFromStart sets aside for a file of `expected` bytes: one more than it
// would read, 4 KiB for a file that says nothing of its size (0), never more than one past
// `stopAfter` (which may be UINT64_MAX: no limit).
std::size_t ReadReservation(std::uint64_t expected, std::uint64_t stopAfter) noexcept;

// Paths and UTF-8 text. Text in memory is UTF-8, and a path is made from it only here: Windows
// would read the bytes of a plain string in its ANSI code page, so "Röntgen Aufträge" would
// name another folder.
fs::path PathFromUtf8(std::string_view utf8);
std::string Utf8Path(const fs::path& path);

// File-system helpers shared by the readers and writers. All of them throw AppError with a
// classic file error number (53 file not found, 70 permission denied, 75 access error, 76 path
// not found) so that the log says what went wrong.
//
// Patience: on Windows other programs (virus scanners, the search indexer, backup) open files for
// a moment without sharing them. A rename or deletion that fails for that (a sharing or lock
// violation, or access denied on a file that is there and not read-only) is tried again after
// 50, 100, 200, 400, 800 and 1600 ms before its outcome is decided.

// The whole file as raw bytes.
std::string ReadFileBytes(const fs::path& file);

// The names of the plain files directly in a folder, in the order the file system lists them.
// A symbolic link is no plain file, whatever it points at.
std::vector<std::string> ListFiles(const fs::path& folder);

// Every entry directly in a folder, in listing order, and whether it is a plain file (not a
// link, folder, device or pipe).
struct FolderEntry {
    std::string name;
    bool regular = false;
};
std::vector<FolderEntry> ListEntries(const fs::path& folder);

// A plain file, not followed when it is a link, read whole: the rules and errors of
// HeldFile(file).ReadAll(limit), without holding the file any longer.
ByteBuffer ReadPlainFile(const fs::path& file, std::uint64_t limit);

// A plain file opened for reading without following a link, held open: its lock and identity
// stay with the file when it is renamed. Throws AppError: FileNotFound when nothing is there,
// NotRegularFile for a link or anything but a plain file.
enum class RenameOutcome { Done, TargetExists, SourceMissing };

class HeldFile {
  public:
    explicit HeldFile(const fs::path& file);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // An exclusive lock without waiting; false when another holder has it.
    bool TryLock() noexcept;
    // A shared byte-range lock without waiting: false while a writer holds the file's exclusive
    // byte-range lock (StagedFile, OwnedFile), or when such a lock cannot be taken or tested.
    bool TryShareLock() noexcept;
    // Every byte from the start, also of a file that has grown or shrunk since it was opened;
    // throws AppError FileTooLarge beyond `limit` bytes.
    std::string ReadAll(std::uint64_t limit) const;
    // Whether `path` names this very file (not a replacement under the same name).
    bool IsAt(const fs::path& path) const noexcept;
    // Claims the file: renames it from the name it was opened under to `to`, without replacing.
    // Of two programs claiming one file, exactly one sees Done; the other sees SourceMissing,
    // also when it finds the file held by another program beyond the patience (another claimer
    // in the middle of its rename, or a scanner): taken, as far as it can tell. Windows: the file
    // is opened for deleting without delete sharing, checked to be this very file (another file
    // under the name: SourceMissing), and renamed through that handle; a handle follows its
    // file, so a rename by name that opened the file just before another program renamed it
    // would carry that program's claim away. Elsewhere RenameNoReplace, and the caller checks
    // with IsAt where the file went. Throws AppError on other failures.
    RenameOutcome ClaimAs(const fs::path& to);

  private:
    fs::path path_;
    NativeFile file_ = kNoFile;
    // What the system said of the file's size when it was opened.
    std::uint64_t sizeWhenOpened_ = 0;
};

// Renames without ever replacing: when the target name is taken, nothing changes. Throws
// AppError on other failures, also when another program holds the file beyond the patience. For
// a file only this program renames (its own temporaries); it may hold the file open meanwhile.
RenameOutcome RenameNoReplace(const fs::path& from, const fs::path& to);

// Whether anything is at `path` (a link is not followed). Only "not found" means absent: any
// other error throws AppError, so that a look that failed is never taken for "not there".
bool Exists(const fs::path& path);

// When a file was last written, in seconds since 1970 by the clock of the server that keeps it.
// Throws AppError.
std::int64_t LastWritten(const fs::path& file);
// Now, in seconds since 1970 by the clock of the server that keeps `folder`: one of the program's
// temporaries is written there, read and removed. Throws AppError.
std::int64_t ShareNow(const fs::path& folder);
// RenameNoReplace for a file that other workstations may rename at the same instant (a claim
// given back): of two programs renaming it, exactly one sees Done. Windows: through a handle
// without delete sharing, as ClaimAs, so no program of ours may hold the file open for deleting
// meanwhile.
RenameOutcome RenameExclusively(const fs::path& from, const fs::path& to);

// The file a path ends at after following every symbolic link (the path itself when it is no
// link, also when nothing is there).
fs::path FollowLinks(const fs::path& path);

// Whether a file name is one of the program's own temporaries ("~" 32 hex digits ".tmp"), and a
// fresh one.
bool IsTemporaryName(std::string_view name);
std::string NewTemporaryName();

// Removes one of the program's temporaries if no running program holds it (a live writer keeps
// its temporary locked until it gets its name). True when it was removed.
bool RemoveStaleTemporary(const fs::path& file) noexcept;

// Deletes a file, also when it is read-only. A file that is already gone is no failure when
// `missingOk` is set.
void DeleteFileForced(const fs::path& file, bool missingOk = false);

// Removes a file if it is there; a failure is ignored. For taking back what a failed operation
// had already placed.
void RemoveFileQuietly(const fs::path& file) noexcept;

// Appends bytes at the end of a file, making the file and its missing folders first. The file is
// opened and closed again within the call, so other programs may read or delete it between two
// calls. Throws AppError when the folder cannot be made or the bytes not written.
void AppendToFile(const fs::path& file, std::string_view bytes);

// Joins a folder and a file name with the platform's separator.
fs::path JoinPath(std::string_view folder, std::string_view name);

// Drops one trailing "/" or "\" from a folder text, if there is one.
void DropTrailingSeparator(std::string& folder);

// When a staged file's bytes are waited for on the disk: at once, or by Flush(), for a caller
// that stages several files and then waits for all of them together while the system writes
// them meanwhile (much faster than one wait per file).
enum class StagedFlush { Now, Later };

// A file written under a temporary name in its target folder, flushed to disk, and only
// moved to its final name by Commit(). A reader of the folder therefore never sees half a
// file. The temporary name starts with "~" and ends in ".tmp", so it never looks like a
// GDT file. The temporary stays locked until it has its name, so a sweep of stale temporaries
// never takes it. Destroying an uncommitted file removes the temporary. `mode` is what the new
// file is (its permission bits; on Windows its attributes, read-only aside); without it the
// system's default for new files.
class StagedFile {
  public:
    StagedFile(const fs::path& target, std::string_view bytes, int mode = -1,
               StagedFlush flush = StagedFlush::Now);
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Waits until the bytes are on the disk, if they are not yet. Throws AppError if the system
    // says they may not be; that is final, the file is then to be discarded.
    void Flush();
    // Flushes, then renames the temporary over the target. Throws AppError if that fails. A caller
    // that commits several files in one folder may sync the folder once itself (SyncFolder).
    void Commit(bool syncFolder = true);
    // Removes the temporary (or, after commit, nothing). Never throws.
    void Discard() noexcept;
    // Lets go of the file and its lock but leaves the temporary where it is: a journal names it,
    // or the caller has given it its name itself. Never throws.
    void Keep() noexcept;

    const fs::path& Target() const { return target_; }
    const fs::path& Temporary() const { return temporary_; }
    bool Committed() const { return committed_; }

  private:
    // Per system: the temporary made, locked and written (removed again when that fails); the
    // disk told to start on it; the system's flush of it.
    void writeTemporary(std::string_view bytes, int mode);
    void startWriting() noexcept;
    void flushToDisk();

    fs::path target_;
    fs::path temporary_;
    NativeFile file_ = kNoFile;
    bool committed_ = false;
    bool flushed_ = false;
};

// Makes the creations, renames and deletions in a folder durable. Throws AppError when the
// system says it could not. A file system that cannot flush folders at all (some network shares)
// is no failure, since nothing better can be done there; the first such folder of a run is
// noted for TakeUnflushedFolderNotice.
void FlushFolder(const fs::path& folder);

// Once per run: the first folder the system could not flush at all, and why, for the log (the
// trap writes it); nullopt before that and ever after.
std::optional<std::string> TakeUnflushedFolderNotice() noexcept;

// Whether two names are one file (hard links of each other); false when either is missing.
bool SameFile(const fs::path& a, const fs::path& b) noexcept;
// How many names the file has; 0 when there is none under `file`.
std::uint64_t LinkCount(const fs::path& file) noexcept;

// FlushFolder as best effort: for a caller that goes on the same way when it fails.
void SyncFolder(const fs::path& folder) noexcept;

// Writes a whole file through a StagedFile: either the old content or the new one is there.
void WriteFileAtomically(const fs::path& target, std::string_view bytes);

// Rewrites a file that other programs share (AccNum.dat, Settings.ini) and keeps what it is: a
// link is followed and the file it points at is written; the mode (Windows: the attributes and
// the access rights) stays; a read-only file (no write permission in its mode, or the read-only
// attribute) is refused with PermissionDenied. The new content arrives whole through a temporary;
// when the folder takes no new file but the file itself is writable, it is rewritten in place under
// a lock and flushed.
void ReplaceFile(const fs::path& target, std::string_view bytes);

}  // namespace morvik
