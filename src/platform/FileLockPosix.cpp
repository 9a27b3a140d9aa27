// The lock file on POSIX: a byte-range lock on a descriptor, which is released when the process
// ends and, unlike flock, reaches the file server on NFS and SMB.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Errno.h"
#include "platform/FileCalls.h"
#include "platform/FileLock.h"
#include "platform/RangeLock.h"

namespace morvik {

FileLock::FileLock(const std::filesystem::path& lockFile) : path_(lockFile) {
    file_ = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
    if (file_ < 0 && errno == ENOENT) {
        if (int e = BeforeFileCall(FileCall::Create, lockFile)) {
            throw FileError(e, "Sperren von " + Utf8Path(lockFile));
        }
        file_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (file_ >= 0) AfterFileCall(FileCall::Create, lockFile);
    }
    if (file_ < 0) throw FileError(errno, "Sperren von " + Utf8Path(lockFile));
    if (!LockRange(file_, RangeLock::Exclusive, true)) {
        int e = errno;
        ::close(file_);
        file_ = -1;
        throw FileError(e, "Sperren von " + Utf8Path(lockFile));
    }
}

FileLock::~FileLock() {
    if (file_ >= 0) ::close(file_);
}

std::string FileLock::ReadNote() const {
    return ReadFromStart(file_, 4096, path_);
}

void FileLock::WriteNote(std::string_view note) {
    // One write at the start: a process killed around it leaves the old note or the new one.
    int e = BeforeFileCall(FileCall::Write, path_);
    ssize_t n = e != 0 ? -1 : ::pwrite(file_, note.data(), note.size(), 0);
    if (n < 0 && e == 0) e = errno;
    if (e == 0 && n != static_cast<ssize_t>(note.size())) e = EIO;
    if (e != 0) throw FileError(e, "Schreiben von " + Utf8Path(path_));
    AfterFileCall(FileCall::Write, path_);
    e = BeforeFileCall(FileCall::Truncate, path_);
    if (e == 0 && ::ftruncate(file_, static_cast<off_t>(note.size())) != 0) e = errno;
    if (e == 0) e = BeforeFileCall(FileCall::Flush, path_);
    if (e == 0 && ::fsync(file_) != 0) e = errno;
    if (e != 0) throw FileError(e, "Schreiben von " + Utf8Path(path_));
    AfterFileCall(FileCall::Flush, path_);
}

}  // namespace morvik
