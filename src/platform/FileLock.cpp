#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Errno.h"

namespace morvik {

FileLock::FileLock(const std::filesystem::path& lockFile) : path_(lockFile) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) throw FileError(errno, "Sperren von " + lockFile.string());
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int e = errno;
            ::close(fd_);
            fd_ = -1;
            throw FileError(e, "Sperren von " + lockFile.string());
        }
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

std::string FileLock::ReadNote() const {
    std::string note;
    char buffer[256];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd_, buffer, sizeof buffer, at);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, "Lesen von " + path_.string());
        }
        if (n == 0 || note.size() > 4096) return note;
        note.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

void FileLock::WriteNote(std::string_view note) {
    // One write at the start: a process killed around it leaves the old note or the new one.
    ssize_t n = ::pwrite(fd_, note.data(), note.size(), 0);
    if (n != static_cast<ssize_t>(note.size()) ||
        ::ftruncate(fd_, static_cast<off_t>(note.size())) != 0 || ::fsync(fd_) != 0) {
        throw FileError(n < 0 ? errno : EIO, "Schreiben von " + path_.string());
    }
}

}  // namespace morvik
