// Files on Windows through the Win32 API. Every file is opened by its UTF-16 name and read and
// written as raw bytes: there is no text mode here that could turn CR LF into LF or stop reading
// at byte 0x1A, both of which a GDT file may hold.
#include <aclapi.h>
#include <windows.h>
#undef ReplaceFile  // ours, not the Win32 macro

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/Errno.h"
#include "platform/FileCalls.h"
#include "platform/FileSystem.h"
#include "platform/ReadAt.h"
#include "platform/ReadHead.h"

namespace morvik {

namespace {

HANDLE handleOf(NativeFile file) {
    return static_cast<HANDLE>(file);
}

// A HANDLE closed with the object; kNoFile when CreateFileW failed.
class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() {
        if (h_ != nullptr) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    NativeFile release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }

  private:
    HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Windows locks are mandatory: a locked byte stops every other reader of it. The program's locks
// say "this file is mine" and must not stop anyone reading the file, so they lie far beyond any
// file's end, where no data is.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

bool lockFar(HANDLE h, bool wait) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return LockFileEx(h, flags, 0, 1, 0, &at) != 0;
}

void writeAll(HANDLE h, std::string_view bytes, const fs::path& file) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) {
            ThrowLastFileError("Schreiben von", file);
        }
        bytes.remove_prefix(written);
    }
}

// Same volume, same file index. Wine reports no volume (0) for a handle whose file was renamed
// after it was opened; the names compared here always lie in one folder, so the index decides.
bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (!GetFileInformationByHandle(a, &x) || !GetFileInformationByHandle(b, &y)) return false;
    const bool sameVolume = x.dwVolumeSerialNumber == y.dwVolumeSerialNumber ||
                            x.dwVolumeSerialNumber == 0 || y.dwVolumeSerialNumber == 0;
    return sameVolume && x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// Whether another program's handle may be all that stops a rename or deletion of `file`: a
// sharing or lock violation, or access denied on a file that is there and not read-only.
bool heldByAnother(DWORD code, const fs::path& file) {
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return true;
    if (code != ERROR_ACCESS_DENIED) return false;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// Runs `call` (true on success, else GetLastError says why) until it succeeds, fails for another
// reason, or the patience is used up (about three seconds). Virus scanners, the search indexer and
// backup hold a file for a moment; a short wait is all they need.
template <typename Call>
bool patiently(const fs::path& file, Call call) {
    static constexpr DWORD kPauses[] = {50, 100, 200, 400, 800, 1600};
    for (DWORD pause : kPauses) {
        if (call()) return true;
        const DWORD code = GetLastError();
        if (!heldByAnother(code, file)) {
            SetLastError(code);
            return false;
        }
        Sleep(pause);
    }
    return call();
}

// Opens `file` for renaming without delete sharing: until the handle is closed no other program
// renames or deletes it, and one that tries gets a sharing violation. Waits out other holders.
HANDLE openForRename(const fs::path& file) {
    HANDLE h = INVALID_HANDLE_VALUE;
    patiently(file, [&] {
        h = CreateFileW(file.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        return h != INVALID_HANDLE_VALUE;
    });
    return h;
}

// Renames an open file (openForRename) to `to` without replacing. The name goes through the
// system's own conversion (as every path does), so it is made absolute here.
bool renameHandle(HANDLE h, const fs::path& to) {
    std::error_code ec;
    const std::wstring name = fs::absolute(to, ec).wstring();
    if (ec) {
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }
    const std::size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes + sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, name.c_str(), bytes + sizeof(wchar_t));
    return SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) !=
           0;
}

// RenameExclusively and ClaimAs: the file opened without delete sharing, checked against `held`
// when given, and renamed through that handle. `heldIsTaken`: another holder beyond the patience
// means taken (SourceMissing), as for a claim; otherwise it is a failure.
RenameOutcome renameAlone(const fs::path& from, const fs::path& to, HANDLE held, bool heldIsTaken) {
    if (int e = BeforeFileCall(FileCall::RenameNoReplace, from, to)) {
        throw FileError(e, "Umbenennen nach " + Utf8Path(to));
    }
    Handle h(openForRename(from));
    if (!h) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return RenameOutcome::SourceMissing;
        }
        if (heldIsTaken && heldByAnother(code, from)) return RenameOutcome::SourceMissing;
        throw WindowsFileError(code, "Umbenennen von " + Utf8Path(from));
    }
    // Another file under the name: not the one the caller read, and not its to take.
    if (held != nullptr && !sameFile(held, h.get())) return RenameOutcome::SourceMissing;
    if (!renameHandle(h.get(), to)) {
        const DWORD code = GetLastError();
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
            return RenameOutcome::TargetExists;
        }
        throw WindowsFileError(code, "Umbenennen nach " + Utf8Path(to));
    }
    AfterFileCall(FileCall::Rename, from, to);
    return RenameOutcome::Done;
}

// The codes with which a system says that it cannot flush a folder at all (FAT, some network
// redirectors and servers), as against a flush that failed.
bool cannotFlushFolders(DWORD code) {
    return code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED ||
           code == ERROR_INVALID_PARAMETER || code == ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace

std::uint64_t SizeOf(NativeFile file) noexcept {
    LARGE_INTEGER size{};
    return GetFileSizeEx(handleOf(file), &size) && size.QuadPart > 0
               ? static_cast<std::uint64_t>(size.QuadPart)
               : 0;
}

std::size_t ReadAt(NativeFile file, char* into, std::size_t count, std::uint64_t offset,
                   const fs::path& name) {
    // By position, as pread. Windows moves the handle's file pointer too; no call here uses it.
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(handleOf(file), into, ask, &n, &where)) {
        if (GetLastError() == ERROR_HANDLE_EOF) return 0;
        ThrowLastFileError("Lesen von", name);
    }
    return n;
}

void FlushFolder(const fs::path& folder) {
    // FlushFileBuffers on a folder needs a handle with write access; it makes the folder's
    // creations, renames and deletions durable (MOVEFILE_WRITE_THROUGH is documented only for a
    // move done as copy and delete, so no rename counts as durable before this).
    const fs::path at = folder.empty() ? fs::path(L".") : folder;
    DWORD code = ERROR_SUCCESS;
    if (int e = BeforeFileCall(FileCall::FlushFolder, at)) {
        // EINVAL stands for a system that cannot flush folders, as on POSIX.
        if (e != EINVAL) throw FileError(e, "Sichern des Ordners " + Utf8Path(at));
        code = ERROR_INVALID_FUNCTION;
    } else {
        Handle dir(CreateFileW(at.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!dir || !FlushFileBuffers(dir.get())) code = GetLastError();
    }
    if (code == ERROR_SUCCESS) return AfterFileCall(FileCall::FlushFolder, at);
    if (!cannotFlushFolders(code)) {
        throw WindowsFileError(code, "Sichern des Ordners " + Utf8Path(at));
    }
    NoteUnflushedFolder(at,
                        WindowsFileError(code, "Windows-Fehler " + std::to_string(code)).what());
}

void SyncFolder(const fs::path& folder) noexcept {
    try {
        FlushFolder(folder);
    } catch (...) {
        // Best effort: the caller goes on as when the file system cannot flush a folder.
    }
}

bool SameFile(const fs::path& a, const fs::path& b) noexcept {
    Handle x(CreateFileW(a.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    Handle y(CreateFileW(b.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return x && y && sameFile(x.get(), y.get());
}

std::uint64_t LinkCount(const fs::path& file) noexcept {
    Handle h(CreateFileW(file.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !GetFileInformationByHandle(h.get(), &info)) return 0;
    return info.nNumberOfLinks;
}

std::string ReadFileHead(const fs::path& file, std::uint64_t stopAfter) {
    Handle h(CreateFileW(file.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) ThrowLastFileError("Öffnen von", file);
    return ReadFromStart(h.get(), stopAfter, file);
}

std::string ReadFileBytes(const fs::path& file) {
    return ReadFileHead(file, UINT64_MAX);
}

void DeleteFileForced(const fs::path& file, bool missingOk) {
    if (int e = BeforeFileCall(FileCall::Remove, file))
        throw FileError(e, "Löschen von " + Utf8Path(file));
    if (patiently(file, [&] { return DeleteFileW(file.c_str()) != 0; })) {
        return AfterFileCall(FileCall::Remove, file);
    }
    DWORD code = GetLastError();
    // A read-only request goes too: Windows refuses to delete it until the flag is off.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (code == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        if (SetFileAttributesW(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
            if (patiently(file, [&] { return DeleteFileW(file.c_str()) != 0; })) {
                return AfterFileCall(FileCall::Remove, file);
            }
            code = GetLastError();
            SetFileAttributesW(file.c_str(), attributes);
        }
    }
    if (missingOk && (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)) return;
    throw WindowsFileError(code, "Löschen von " + Utf8Path(file));
}

void RemoveFileQuietly(const fs::path& file) noexcept {
    DeleteFileW(file.c_str());
}

namespace {

// Creates and locks a fresh temporary beside `target`, as on POSIX. Others may read it and a
// sweep may delete it (it is then gone once closed), so it is shared for reading and deleting;
// the rename on commit needs the second as well.
HANDLE openTemporary(const fs::path& target, fs::path& name, int attributes) {
    const DWORD kept = attributes >= 0
                           ? (static_cast<DWORD>(attributes) &
                              (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED))
                           : 0;
    for (;;) {
        name = target.parent_path() / NewTemporaryName();
        if (int e = BeforeFileCall(FileCall::Create, name)) {
            throw FileError(e, "Anlegen von " + Utf8Path(target));
        }
        Handle h(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) ThrowLastFileError("Anlegen von", target);
        AfterFileCall(FileCall::Create, name);
        if (!lockFar(h.get(), true)) ThrowLastFileError("Sperren von", target);
        FILE_STANDARD_INFO info{};
        if (GetFileInformationByHandleEx(h.get(), FileStandardInfo, &info, sizeof info) &&
            !info.DeletePending) {
            return static_cast<HANDLE>(h.release());
        }
    }
}

}  // namespace

void StagedFile::writeTemporary(std::string_view bytes, int mode) {
    Handle h(openTemporary(target_, temporary_, mode));
    try {
        if (int e = BeforeFileCall(FileCall::Write, temporary_)) {
            throw FileError(e, "Schreiben von " + Utf8Path(target_));
        }
        writeAll(h.get(), bytes, target_);
        AfterFileCall(FileCall::Write, temporary_);
    } catch (...) {
        DeleteFileW(temporary_.c_str());
        throw;
    }
    file_ = h.release();
}

// Windows has no call that only starts the writing; Flush() does all of it.
void StagedFile::startWriting() noexcept {}

void StagedFile::flushToDisk() {
    if (int e = BeforeFileCall(FileCall::Flush, temporary_)) {
        throw FileError(e, "Schreiben von " + Utf8Path(target_));
    }
    if (!FlushFileBuffers(handleOf(file_))) ThrowLastFileError("Schreiben von", target_);
    AfterFileCall(FileCall::Flush, temporary_);
}

void StagedFile::Commit(bool syncFolder) {
    if (committed_) return;
    if (temporary_.empty()) throw AppError(err::InternalError, "Datei wurde bereits verworfen");
    Flush();
    if (int e = BeforeFileCall(FileCall::Rename, temporary_, target_)) {
        throw FileError(e, "Umbenennen nach " + Utf8Path(target_));
    }
    // The temporary is ours; another program may hold the file it replaces for a moment.
    if (!patiently(target_, [&] {
            return MoveFileExW(temporary_.c_str(), target_.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        })) {
        ThrowLastFileError("Umbenennen nach", target_);
    }
    AfterFileCall(FileCall::Rename, temporary_, target_);
    committed_ = true;
    if (file_ != kNoFile) CloseHandle(handleOf(file_));
    file_ = kNoFile;
    if (syncFolder) SyncFolder(target_.parent_path());
}

void StagedFile::Discard() noexcept {
    if (!committed_ && !temporary_.empty()) DeleteFileW(temporary_.c_str());
    Keep();
}

void StagedFile::Keep() noexcept {
    temporary_.clear();
    if (file_ != kNoFile) CloseHandle(handleOf(file_));
    file_ = kNoFile;
}

NativeFile OpenPlainFile(const fs::path& file, std::uint64_t& size) {
    // The name itself, not what a link or junction points at; shared so that the file can be
    // renamed and deleted while it is held.
    Handle h(CreateFileW(file.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) ThrowLastFileError("Öffnen von", file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info)) ThrowLastFileError("Öffnen von", file);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        throw AppError(err::NotRegularFile, Utf8Path(file) + " ist ein Verweis, keine Datei");
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        throw AppError(err::NotRegularFile, Utf8Path(file) + " ist keine gewöhnliche Datei");
    }
    size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return h.release();
}

void CloseFile(NativeFile file) noexcept {
    if (file != kNoFile) CloseHandle(handleOf(file));
}

bool HeldFile::TryLock() noexcept {
    return lockFar(handleOf(file_), false);
}

bool HeldFile::TryShareLock() noexcept {
    const int e = BeforeFileCall(FileCall::LockTest, path_);
    if (e != 0) return e == kLockNotSeen;
    return lockFar(handleOf(file_), false);
}

bool HeldFile::IsAt(const fs::path& path) const noexcept {
    Handle there(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return there && sameFile(handleOf(file_), there.get());
}

RenameOutcome HeldFile::ClaimAs(const fs::path& to) {
    return renameAlone(path_, to, handleOf(file_), true);
}

RenameOutcome RenameExclusively(const fs::path& from, const fs::path& to) {
    return renameAlone(from, to, nullptr, false);
}

RenameOutcome RenameNoReplace(const fs::path& from, const fs::path& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken. The file may be
    // held open by this program (a staged file), which MoveFileExW allows.
    if (int e = BeforeFileCall(FileCall::RenameNoReplace, from, to)) {
        throw FileError(e, "Umbenennen nach " + Utf8Path(to));
    }
    if (patiently(from, [&] {
            return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        })) {
        AfterFileCall(FileCall::Rename, from, to);
        return RenameOutcome::Done;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
        return RenameOutcome::TargetExists;
    }
    if (code == ERROR_FILE_NOT_FOUND) return RenameOutcome::SourceMissing;
    throw WindowsFileError(code, "Umbenennen nach " + Utf8Path(to));
}

// Only a link or junction is resolved, to the file it finally names; any other path stays as it
// is, also when nothing is there yet.
fs::path FollowLinks(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    Handle h(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) ThrowLastFileError("Verweis", path);
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFinalPathNameByHandleW(h.get(), name.data(), static_cast<DWORD>(name.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) ThrowLastFileError("Verweis", path);
        const bool fits = n < name.size();
        name.resize(n);
        if (fits) break;
    }
    // "\\?\C:\..." and "\\?\UNC\server\share\..." in the forms people know.
    if (name.starts_with(L"\\\\?\\UNC\\")) return fs::path(L"\\\\" + name.substr(8));
    if (name.starts_with(L"\\\\?\\")) return fs::path(name.substr(4));
    return fs::path(name);
}

namespace {

bool noRightsHere(DWORD code) {
    return code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION;
}

// The rewritten file's access rights onto its replacement. A new file gets the folder's inherited
// rights only, and so would lose what was granted on the file itself (the setup program lets
// Users change Settings.ini and AccNum.dat, not the folder's other files). False when the rights
// could not be read or set (a share that lets no one but its administrators change rights): the
// caller then rewrites the file in place, which keeps them.
bool copyAccessRights(const fs::path& from, const fs::path& to) noexcept {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD code = GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, &dacl, nullptr, &descriptor);
    if (noRightsHere(code)) return true;  // a file system without access rights (FAT, some shares)
    if (code != ERROR_SUCCESS) return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    // Inherited entries stay inherited (from the same folder); a file cut off from its folder's
    // rights stays cut off.
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::vector<wchar_t> name(to.native().begin(), to.native().end());
    name.push_back(L'\0');
    code =
        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
    LocalFree(descriptor);
    return code == ERROR_SUCCESS || noRightsHere(code);
}

void rewriteInPlace(const fs::path& file, std::string_view bytes) {
    Handle h(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) ThrowLastFileError("Öffnen von", file);
    if (!lockFar(h.get(), true)) ThrowLastFileError("Sperren von", file);
    writeAll(h.get(), bytes, file);
    if (!SetEndOfFile(h.get()) || !FlushFileBuffers(h.get())) {
        ThrowLastFileError("Schreiben von", file);
    }
}

}  // namespace

void ReplaceFile(const fs::path& target, std::string_view bytes) {
    const fs::path real = FollowLinks(target);
    const DWORD attributes = GetFileAttributesW(real.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw AppError(err::PermissionDenied, Utf8Path(real) + " ist schreibgeschützt");
    }
    try {
        StagedFile file(real, bytes, exists ? static_cast<int>(attributes) : -1);
        if (exists && !copyAccessRights(real, file.Temporary())) {
            file.Discard();
            return rewriteInPlace(real, bytes);
        }
        file.Commit();
    } catch (const AppError& e) {
        // A folder that takes no new file, while the file itself may be written.
        if (!exists || e.Number() != err::PermissionDenied) throw;
        rewriteInPlace(real, bytes);
    }
}

}  // namespace morvik
