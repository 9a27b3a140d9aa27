// Files on Linux and other POSIX systems: descriptors, flock, fsync and renameat2.
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/Errno.h"

namespace morvik {

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

void writeAll(int fd, std::string_view bytes, const fs::path& file) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, "Schreiben von " + Utf8Path(file));
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

void SyncFolder(const fs::path& folder) noexcept {
    Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

std::string ReadFromStart(NativeFile file, std::uint64_t stopAfter, const fs::path& name) {
    std::string bytes;
    struct stat st {};
    if (::fstat(file, &st) == 0 && st.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(
            std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), stopAfter + 1)));
    }
    char buffer[65536];
    for (off_t at = 0; bytes.size() <= stopAfter;) {
        const ssize_t n = ::pread(file, buffer, sizeof buffer, at);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, "Lesen von " + Utf8Path(name));
        }
        if (n == 0) break;
        at += n;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::string ReadFileBytes(const fs::path& file) {
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(errno, "Öffnen von " + Utf8Path(file));
    return ReadFromStart(fd.get(), UINT64_MAX, file);
}

void DeleteFileForced(const fs::path& file, bool missingOk) {
    // A read-only request goes too; on Linux the mode does not stop unlink, on Windows it does.
    if (::unlink(file.c_str()) != 0 && !(missingOk && errno == ENOENT)) {
        throw FileError(errno, "Löschen von " + Utf8Path(file));
    }
}

void RemoveFileQuietly(const fs::path& file) noexcept {
    ::unlink(file.c_str());
}

namespace {

// Creates and locks a fresh temporary beside `target`. A sweep may take a temporary in the
// instant between its creation and its lock; then it is gone and another name is tried.
// Failures name the target, the file the caller asked for; the temporary is only the way there.
int openTemporary(const fs::path& target, fs::path& name, int mode) {
    for (;;) {
        name = target.parent_path() / NewTemporaryName();
        Fd fd(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                     mode >= 0 ? static_cast<mode_t>(mode) : 0666));
        if (fd.get() < 0) throw FileError(errno, "Anlegen von " + Utf8Path(target));
        while (::flock(fd.get(), LOCK_EX) != 0) {
            if (errno != EINTR) throw FileError(errno, "Sperren von " + Utf8Path(target));
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) == 0 && st.st_nlink > 0) {
            if (mode >= 0) ::fchmod(fd.get(), static_cast<mode_t>(mode));  // umask aside
            return fd.release();
        }
    }
}

}  // namespace

StagedFile::StagedFile(const fs::path& target, std::string_view bytes, int mode) : target_(target) {
    Fd fd(openTemporary(target, temporary_, mode));
    try {
        writeAll(fd.get(), bytes, target_);
        if (::fsync(fd.get()) != 0) throw FileError(errno, "Schreiben von " + Utf8Path(target_));
    } catch (...) {
        ::unlink(temporary_.c_str());
        throw;
    }
    file_ = fd.release();
}

void StagedFile::commit(bool syncFolder) {
    if (committed_) return;
    if (temporary_.empty()) throw AppError(err::InternalError, "Datei wurde bereits verworfen");
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw FileError(errno, "Umbenennen nach " + Utf8Path(target_));
    }
    committed_ = true;
    if (file_ >= 0) ::close(file_);
    file_ = -1;
    if (syncFolder) SyncFolder(target_.parent_path());
}

void StagedFile::discard() noexcept {
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    if (file_ >= 0) ::close(file_);
    file_ = -1;
}

HeldFile::HeldFile(const fs::path& file) : path_(file) {
    file_ = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file_ < 0) {
        if (errno == ELOOP) {
            throw AppError(err::NotRegularFile, Utf8Path(file) + " ist ein Verweis, keine Datei");
        }
        throw FileError(errno, "Öffnen von " + Utf8Path(file));
    }
    struct stat st {};
    if (::fstat(file_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(file_);
        file_ = -1;
        throw AppError(err::NotRegularFile, Utf8Path(file) + " ist keine gewöhnliche Datei");
    }
}

HeldFile::~HeldFile() {
    if (file_ >= 0) ::close(file_);
}

bool HeldFile::TryLock() noexcept {
    while (::flock(file_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

std::uint64_t HeldFile::Size() const {
    struct stat st {};
    if (::fstat(file_, &st) != 0) throw FileError(errno, "Lesen von " + Utf8Path(path_));
    return static_cast<std::uint64_t>(st.st_size);
}

bool HeldFile::IsAt(const fs::path& path) const noexcept {
    struct stat mine {
    }, there{};
    return ::fstat(file_, &mine) == 0 && ::lstat(path.c_str(), &there) == 0 &&
           mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
}

RenameOutcome RenameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u) == 0) {
        return RenameOutcome::Done;  // 1 = RENAME_NOREPLACE
    }
    if (errno == EEXIST) return RenameOutcome::TargetExists;
    if (errno == ENOENT) return RenameOutcome::SourceMissing;
    if (errno != EINVAL && errno != ENOSYS)
        throw FileError(errno, "Umbenennen nach " + Utf8Path(to));
#endif
    // File systems without it: a hard link cannot replace either, then the old name goes.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return RenameOutcome::TargetExists;
        if (errno == ENOENT) return RenameOutcome::SourceMissing;
        throw FileError(errno, "Umbenennen nach " + Utf8Path(to));
    }
    if (::unlink(from.c_str()) != 0 && errno != ENOENT) {
        throw FileError(errno, "Umbenennen von " + Utf8Path(from));
    }
    return RenameOutcome::Done;
}

fs::path FollowLinks(const fs::path& path) {
    fs::path at = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(at, ec)) return at;
        fs::path to = fs::read_symlink(at, ec);
        if (ec) throw FileError(ec, "Verweis " + Utf8Path(at));
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    throw FileError(ELOOP, "Verweis " + Utf8Path(path));
}

namespace {

bool folderRefused(const AppError& e) {
    return e.number() == err::PermissionDenied;
}

void rewriteInPlace(const fs::path& file, std::string_view bytes) {
    Fd fd(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(errno, "Öffnen von " + Utf8Path(file));
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) throw FileError(errno, "Sperren von " + Utf8Path(file));
    }
    writeAll(fd.get(), bytes, file);
    if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0) {
        throw FileError(errno, "Schreiben von " + Utf8Path(file));
    }
}

}  // namespace

void ReplaceFile(const fs::path& target, std::string_view bytes) {
    const fs::path real = FollowLinks(target);
    struct stat st {};
    const bool exists = ::stat(real.c_str(), &st) == 0;
    if (exists && (st.st_mode & 0222) == 0) {
        throw AppError(err::PermissionDenied, Utf8Path(real) + " ist schreibgeschützt");
    }
    try {
        StagedFile file(real, bytes, exists ? static_cast<int>(st.st_mode & 07777) : -1);
        file.commit();
    } catch (const AppError& e) {
        if (!exists || !folderRefused(e) || ::access(real.c_str(), W_OK) != 0) throw;
        rewriteInPlace(real, bytes);
    }
}

}  // namespace morvik
