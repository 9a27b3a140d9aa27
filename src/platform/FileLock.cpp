#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Errno.h"

namespace morvik {

FileLock::FileLock(const std::filesystem::path& lockFile) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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

}  // namespace morvik
