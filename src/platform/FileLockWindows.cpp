// The lock file on Windows: LockFileEx on a handle, which is released when the process ends.
#include <windows.h>

#include "base/ErrorNumbers.h"
#include "platform/Errno.h"
#include "platform/FileLock.h"

#include "platform/FileCalls.h"

namespace morvik {

namespace {

HANDLE handleOf(NativeFile file) {
    return static_cast<HANDLE>(file);
}

// The whole file is locked: the note is only ever read and written by the holder of the lock.
OVERLAPPED fromStart() {
    return OVERLAPPED{};
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& lockFile) : path_(lockFile) {
    if (int e = BeforeFileCall(FileCall::Create, lockFile)) {
        throw FileError(e, "Sperren von " + Utf8Path(lockFile));
    }
    HANDLE h = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ThrowLastFileError("Sperren von", lockFile);
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) AfterFileCall(FileCall::Create, lockFile);
    OVERLAPPED at = fromStart();
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        throw WindowsFileError(code, "Sperren von " + Utf8Path(lockFile));
    }
    file_ = h;
}

FileLock::~FileLock() {
    if (file_ == kNoFile) return;
    OVERLAPPED at = fromStart();
    UnlockFileEx(handleOf(file_), 0, MAXDWORD, MAXDWORD, &at);
    CloseHandle(handleOf(file_));
}

std::string FileLock::ReadNote() const {
    return ReadFromStart(file_, 4096, path_);
}

void FileLock::WriteNote(std::string_view note) {
    // One write at the start: a process killed around it leaves the old note or the new one.
    if (int e = BeforeFileCall(FileCall::Write, path_)) {
        throw FileError(e, "Schreiben von " + Utf8Path(path_));
    }
    OVERLAPPED at = fromStart();
    DWORD written = 0;
    if (!WriteFile(handleOf(file_), note.data(), static_cast<DWORD>(note.size()), &written, &at) ||
        written != note.size()) {
        ThrowLastFileError("Schreiben von", path_);
    }
    AfterFileCall(FileCall::Write, path_);
    for (FileCall call : {FileCall::Truncate, FileCall::Flush}) {
        if (int e = BeforeFileCall(call, path_)) {
            throw FileError(e, "Schreiben von " + Utf8Path(path_));
        }
    }
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(note.size());
    if (!SetFilePointerEx(handleOf(file_), end, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(handleOf(file_)) || !FlushFileBuffers(handleOf(file_))) {
        ThrowLastFileError("Schreiben von", path_);
    }
    AfterFileCall(FileCall::Flush, path_);
}

}  // namespace morvik
