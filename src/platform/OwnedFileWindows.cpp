// The owned file on Windows: LockFileEx on a handle opened for reading, writing and deleting.
#include <windows.h>

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
    FILE_STANDARD_INFO info{};
    if (!lockFar(h) || !GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info)) {
        CloseHandle(h);
        return Take::Held;
    }
    if (info.DeletePending) {
        CloseHandle(h);
        return Take::Gone;
    }
    taken.reset(new OwnedFile(path, h, static_cast<std::uint64_t>(info.EndOfFile.QuadPart)));
    return Take::Taken;
}

OwnedFile::~OwnedFile() {
    if (file_ != kNoFile) CloseHandle(handleOf(file_));
}

std::string OwnedFile::Read() const {
    return ReadFromStart(file_, 1u << 20, path_);
}

void OwnedFile::Append(std::string_view bytes) {
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

std::string WorkstationName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size) || size == 0) return "?";
    return Utf8Path(fs::path(std::wstring(name, size)));
}

}  // namespace morvik
