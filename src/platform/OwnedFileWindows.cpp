// The owned file on Windows: LockFileEx on a handle opened for reading, writing and deleting.
#include <windows.h>

#include <cerrno>

#include "platform/Errno.h"
#include "platform/FileCalls.h"
#include "platform/OwnedFile.h"

namespace morvik {

namespace {

HANDLE handleOf(NativeFile file) {
    return static_cast<HANDLE>(file);
}

// Far beyond the end, like every lock of the program: Windows locks stop readers of the bytes
// they cover, and others read the journal while its owner holds it.
bool lockFar(HANDLE h) {
    OVERLAPPED at{};
    at.OffsetHigh = 0x7FFFFFFF;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

HANDLE openOwned(const fs::path& path, DWORD disposition) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

std::unique_ptr<OwnedFile> OwnedFile::Create(const fs::path& path) {
    if (int e = BeforeFileCall(FileCall::Create, path)) {
        throw FileError(e, "Anlegen von " + Utf8Path(path));
    }
    HANDLE h = openOwned(path, CREATE_NEW);
    if (h == INVALID_HANDLE_VALUE) ThrowLastFileError("Anlegen von", path);
    AfterFileCall(FileCall::Create, path);
    if (!lockFar(h)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        throw WindowsFileError(code, "Sperren von " + Utf8Path(path));
    }
    return std::unique_ptr<OwnedFile>(new OwnedFile(path, h, 0));
}

OwnedFile::Take OwnedFile::TryTake(const fs::path& path, std::unique_ptr<OwnedFile>& taken) {
    HANDLE h = openOwned(path, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? Take::Gone
                                                                            : Take::Held;
    }
    int e = BeforeFileCall(FileCall::LockTest, path);
    DWORD code = 0;
    if (e == 0 && !lockFar(h)) code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING ||
        (e != 0 && e != kLockNotSeen && e != ENOLCK)) {
        CloseHandle(h);
        return Take::Held;
    }
    // Any other failure: nobody can say whether a holder is there.
    const bool locked = code == 0 && (e == 0 || e == kLockNotSeen);
    FILE_STANDARD_INFO info{};
    if (!GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info)) {
        CloseHandle(h);
        return Take::Held;
    }
    if (info.DeletePending) {
        CloseHandle(h);
        return Take::Gone;
    }
    taken.reset(
        new OwnedFile(path, h, static_cast<std::uint64_t>(info.EndOfFile.QuadPart), locked));
    return Take::Taken;
}

void OwnedFile::Renew() noexcept {
    // Its first byte written again: the file server stamps the write with its own clock.
    char first = 0;
    DWORD n = 0;
    OVERLAPPED at{};
    if (ReadFile(handleOf(file_), &first, 1, &n, &at) && n == 1) {
        OVERLAPPED again{};
        WriteFile(handleOf(file_), &first, 1, &n, &again);
    }
}

void OwnedFile::Abandon() noexcept {
    FILETIME longAgo{1, 0};  // 0 would mean "leave as it is"
    SetFileTime(handleOf(file_), nullptr, nullptr, &longAgo);
}

std::int64_t OwnedFile::LastWrite() const {
    FILETIME written{};
    if (!GetFileTime(handleOf(file_), nullptr, nullptr, &written)) {
        ThrowLastFileError("Prüfen von", path_);
    }
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    // 100 ns steps since 1601 to seconds since 1970.
    return static_cast<std::int64_t>(ticks / 10000000ull) - 11644473600ll;
}

bool OwnedFile::IsAt() const noexcept {
    HANDLE there = CreateFileW(
        path_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (there == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    const bool same = GetFileInformationByHandle(handleOf(file_), &a) &&
                      GetFileInformationByHandle(there, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(there);
    return same;
}

OwnedFile::~OwnedFile() {
    if (file_ != kNoFile) CloseHandle(handleOf(file_));
}

std::string OwnedFile::Read() const {
    return ReadFromStart(file_, 1u << 20, path_);
}

void OwnedFile::Append(std::string_view bytes, AppendFlush flush) {
    if (int e = BeforeFileCall(FileCall::Write, path_)) {
        throw FileError(e, "Schreiben von " + Utf8Path(path_));
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(size_);
    at.OffsetHigh = static_cast<DWORD>(size_ >> 32);
    DWORD written = 0;
    const BOOL ok =
        WriteFile(handleOf(file_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, &at);
    size_ += written;
    if (!ok || written != bytes.size()) ThrowLastFileError("Schreiben von", path_);
    if (flush == AppendFlush::WithTheNext) return;
    if (int e = BeforeFileCall(FileCall::Flush, path_)) {
        throw FileError(e, "Schreiben von " + Utf8Path(path_));
    }
    if (!FlushFileBuffers(handleOf(file_))) ThrowLastFileError("Schreiben von", path_);
    AfterFileCall(FileCall::Flush, path_);
}

void OwnedFile::Truncate(std::uint64_t size) {
    if (int e = BeforeFileCall(FileCall::Truncate, path_)) {
        throw FileError(e, "Schreiben von " + Utf8Path(path_));
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handleOf(file_), FileEndOfFileInfo, &end, sizeof end) ||
        !FlushFileBuffers(handleOf(file_))) {
        ThrowLastFileError("Schreiben von", path_);
    }
    size_ = size;
}

void OwnedFile::Remove() {
    if (int e = BeforeFileCall(FileCall::Remove, path_)) {
        throw FileError(e, "Löschen von " + Utf8Path(path_));
    }
    // Deleted through the handle that holds the lock; the name goes when the handle closes.
    FILE_DISPOSITION_INFO gone{};
    gone.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(handleOf(file_), FileDispositionInfo, &gone, sizeof gone)) {
        ThrowLastFileError("Löschen von", path_);
    }
    CloseHandle(handleOf(file_));
    file_ = kNoFile;
    AfterFileCall(FileCall::Remove, path_);
}

std::string SystemWorkstationName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size) || size == 0) return "?";
    return Utf8Path(fs::path(std::wstring(name, size)));
}

}  // namespace morvik
