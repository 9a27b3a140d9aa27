// The lock file on POSIX: flock on a descriptor, which is released when the process ends.
#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Errno.h"

namespace morvik {

FileLock::FileLock(const std::filesystem::path& lockFile) : path_(lockFile) {
    file_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (file_ < 0) throw FileError(errno, "Sperren von " + Utf8Path(lockFile));
    while (::flock(file_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int e = errno;
            ::close(file_);
            file_ = -1;
            throw FileError(e, "Sperren von " + Utf8Path(lockFile));
        }
    }
}

FileLock::~FileLock() {
    if (file_ >= 0) {
        ::flock(file_, LOCK_UN);
        ::close(file_);
    }
}

std::string FileLock::ReadNote() const {
    return ReadFromStart(file_, 4096, path_);
}

void FileLock::WriteNote(std::string_view note) {
    // One write at the start: a process killed around it leaves the old note or the new one.
    ssize_t n = ::pwrite(file_, note.data(), note.size(), 0);
    if (n != static_cast<ssize_t>(note.size()) ||
        ::ftruncate(file_, static_cast<off_t>(note.size())) != 0 || ::fsync(file_) != 0) {
        throw FileError(n < 0 ? errno : EIO, "Schreiben von " + Utf8Path(path_));
    }
}

}  // namespace morvik
