// The owned file on POSIX: an open file description lock on a descriptor opened for writing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Errno.h"
#include "platform/FileCalls.h"
#include "platform/OwnedFile.h"
#include "platform/RangeLock.h"

namespace morvik {

namespace {

int fail(int errnoValue) {
    errno = errnoValue;
    return -1;
}

}  // namespace

std::unique_ptr<OwnedFile> OwnedFile::Create(const fs::path& path) {
    const int injected = BeforeFileCall(FileCall::Create, path);
    const int fd = injected == 0 ? ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666)
                                 : fail(injected);
    if (fd < 0) throw FileError(errno, "Anlegen von " + Utf8Path(path));
    AfterFileCall(FileCall::Create, path);
    if (!LockRange(fd, RangeLock::Exclusive, false)) {
        const int e = errno;
        ::close(fd);
        throw FileError(e, "Sperren von " + Utf8Path(path));
    }
    return std::unique_ptr<OwnedFile>(new OwnedFile(path, fd, 0));
}

OwnedFile::Take OwnedFile::TryTake(const fs::path& path, std::unique_ptr<OwnedFile>& taken) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? Take::Gone : Take::Held;
    int e = BeforeFileCall(FileCall::LockTest, path);
    if (e == 0 && !LockRange(fd, RangeLock::Exclusive, false)) e = errno;
    if (e == EAGAIN || e == EACCES || e == EINTR) {
        ::close(fd);
        return Take::Held;
    }
    // ENOLCK and the like: nobody can say whether a holder is there. (A share whose locks reach
    // no other workstation gives the lock as if free: kLockNotSeen plays that.)
    const bool locked = e == 0 || e == kLockNotSeen;
    // Its holder may have deleted it between our open and our lock.
    struct stat mine {
    }, there{};
    if (::fstat(fd, &mine) != 0 || ::lstat(path.c_str(), &there) != 0 ||
        mine.st_dev != there.st_dev || mine.st_ino != there.st_ino) {
        ::close(fd);
        return Take::Gone;
    }
    taken.reset(new OwnedFile(path, fd, static_cast<std::uint64_t>(mine.st_size), locked));
    return Take::Taken;
}

void OwnedFile::Renew() noexcept {
    // A change of the times, which NFS stamps with the server's clock.
    ::futimens(file_, nullptr);
}

void OwnedFile::Abandon() noexcept {
    const struct timespec longAgo[2] = {{0, 0}, {0, 0}};
    ::futimens(file_, longAgo);
}

std::int64_t OwnedFile::LastWrite() const {
    struct stat st {};
    if (::fstat(file_, &st) != 0) throw FileError(errno, "Prüfen von " + Utf8Path(path_));
    return static_cast<std::int64_t>(st.st_mtime);
}

bool OwnedFile::IsAt() const noexcept {
    struct stat mine {
    }, there{};
    return ::fstat(file_, &mine) == 0 && ::lstat(path_.c_str(), &there) == 0 &&
           mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
}

OwnedFile::~OwnedFile() {
    if (file_ >= 0) ::close(file_);
}

std::string OwnedFile::Read() const {
    return ReadFromStart(file_, 1u << 20, path_);
}

void OwnedFile::Append(std::string_view bytes, AppendFlush flush) {
    int e = BeforeFileCall(FileCall::Write, path_);
    std::size_t done = 0;
    while (e == 0 && done < bytes.size()) {
        const ssize_t n = ::pwrite(file_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(size_ + done));
        if (n < 0 && errno != EINTR) e = errno;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    size_ += done;
    if (e == 0) AfterFileCall(FileCall::Write, path_);
    if (e == 0 && flush == AppendFlush::WithTheNext) return;
    if (e == 0) e = BeforeFileCall(FileCall::Flush, path_);
    if (e == 0 && ::fsync(file_) != 0) e = errno;
    if (e != 0) throw FileError(e, "Schreiben von " + Utf8Path(path_));
    AfterFileCall(FileCall::Flush, path_);
}

void OwnedFile::Truncate(std::uint64_t size) {
    int e = BeforeFileCall(FileCall::Truncate, path_);
    if (e == 0 && ::ftruncate(file_, static_cast<off_t>(size)) != 0) e = errno;
    if (e == 0) size_ = size;
    if (e == 0) e = BeforeFileCall(FileCall::Flush, path_);
    if (e == 0 && ::fsync(file_) != 0) e = errno;
    if (e != 0) throw FileError(e, "Schreiben von " + Utf8Path(path_));
    AfterFileCall(FileCall::Flush, path_);
}

void OwnedFile::Remove() {
    DeleteFileForced(path_, true);
}

std::string SystemWorkstationName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "?";
    return name;
}

}  // namespace morvik
