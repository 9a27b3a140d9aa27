// Files on Linux and other POSIX systems: descriptors, byte-range locks, fsync and renameat2.
#include "platform/FileSystem.h"
#include "platform/ReadHead.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/Errno.h"
#include "platform/FileCalls.h"
#include "platform/RangeLock.h"
#include "platform/ReadAt.h"

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
    if (int e = BeforeFileCall(FileCall::Write, file))
        throw FileError(e, "Schreiben von " + Utf8Path(file));
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
    AfterFileCall(FileCall::Write, file);
}

// fsync, through the crash test's hook; false with errno set when it failed.
bool flushFile(int fd, const fs::path& file) {
    if (int e = BeforeFileCall(FileCall::Flush, file)) {
        errno = e;
        return false;
    }
    if (::fsync(fd) != 0) return false;
    AfterFileCall(FileCall::Flush, file);
    return true;
}

}  // namespace

void FlushFolder(const fs::path& folder) {
    const fs::path at = folder.empty() ? fs::path(".") : folder;
    int e = BeforeFileCall(FileCall::FlushFolder, at);
    if (e == 0) {
        Fd dir(::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() < 0) throw FileError(errno, "Sichern des Ordners " + Utf8Path(at));
        if (::fsync(dir.get()) != 0) e = errno;
    }
    // Some file systems (and some network shares) cannot flush a folder; they say EINVAL.
    if (e == EINVAL) return NoteUnflushedFolder(at, std::strerror(e));
    if (e != 0) throw FileError(e, "Sichern des Ordners " + Utf8Path(at));
    AfterFileCall(FileCall::FlushFolder, at);
}

void SyncFolder(const fs::path& folder) noexcept {
    try {
        FlushFolder(folder);
    } catch (...) {
    }
}

std::uint64_t SizeOf(NativeFile file) noexcept {
    struct stat st {};
    return ::fstat(file, &st) == 0 && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

std::size_t ReadAt(NativeFile file, char* into, std::size_t count, std::uint64_t offset,
                   const fs::path& name) {
    for (;;) {
        const ssize_t n = ::pread(file, into, count, static_cast<off_t>(offset));
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw FileError(errno, "Lesen von " + Utf8Path(name));
    }
}

std::string ReadFileHead(const fs::path& file, std::uint64_t stopAfter) {
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(errno, "Öffnen von " + Utf8Path(file));
    return ReadFromStart(fd.get(), stopAfter, file);
}

std::string ReadFileBytes(const fs::path& file) {
    return ReadFileHead(file, UINT64_MAX);
}

void DeleteFileForced(const fs::path& file, bool missingOk) {
    if (int e = BeforeFileCall(FileCall::Remove, file)) {
        throw FileError(e, "Löschen von " + Utf8Path(file));
    }
    // A read-only request goes too; on Linux the mode does not stop unlink, on Windows it does.
    if (::unlink(file.c_str()) != 0) {
        if (!(missingOk && errno == ENOENT))
            throw FileError(errno, "Löschen von " + Utf8Path(file));
        return;
    }
    AfterFileCall(FileCall::Remove, file);
}

void RemoveFileQuietly(const fs::path& file) noexcept {
    try {
        DeleteFileForced(file, true);
    } catch (...) {
    }
}

bool SameFile(const fs::path& a, const fs::path& b) noexcept {
    struct stat x {
    }, y{};
    return ::lstat(a.c_str(), &x) == 0 && ::lstat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
           x.st_ino == y.st_ino;
}

std::uint64_t LinkCount(const fs::path& file) noexcept {
    struct stat st {};
    return ::lstat(file.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_nlink) : 0;
}

namespace {

// Creates and locks a fresh temporary beside `target`. A sweep may take a temporary in the
// instant between its creation and its lock; then it is gone and another name is tried.
// Failures name the target, the file the caller asked for; the temporary is only the way there.
int openTemporary(const fs::path& target, fs::path& name, int mode) {
    for (;;) {
        name = target.parent_path() / NewTemporaryName();
        if (int e = BeforeFileCall(FileCall::Create, name)) {
            throw FileError(e, "Anlegen von " + Utf8Path(target));
        }
        Fd fd(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                     mode >= 0 ? static_cast<mode_t>(mode) : 0666));
        if (fd.get() < 0) throw FileError(errno, "Anlegen von " + Utf8Path(target));
        AfterFileCall(FileCall::Create, name);
        if (!LockRange(fd.get(), RangeLock::Exclusive, true)) {
            throw FileError(errno, "Sperren von " + Utf8Path(target));
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) == 0 && st.st_nlink > 0) {
            if (mode >= 0) ::fchmod(fd.get(), static_cast<mode_t>(mode));  // umask aside
            return fd.release();
        }
    }
}

}  // namespace

void StagedFile::writeTemporary(std::string_view bytes, int mode) {
    Fd fd(openTemporary(target_, temporary_, mode));
    try {
        writeAll(fd.get(), bytes, temporary_);
    } catch (...) {
        RemoveFileQuietly(temporary_);
        throw;
    }
    file_ = fd.release();
}

void StagedFile::startWriting() noexcept {
#ifdef __linux__
    // Flush() then mostly waits for what is under way.
    ::sync_file_range(file_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

void StagedFile::flushToDisk() {
    if (!flushFile(file_, temporary_)) {
        throw FileError(errno, "Schreiben von " + Utf8Path(target_));
    }
}

void StagedFile::Commit(bool syncFolder) {
    if (committed_) return;
    if (temporary_.empty()) throw AppError(err::InternalError, "Datei wurde bereits verworfen");
    Flush();
    if (int e = BeforeFileCall(FileCall::Rename, temporary_, target_)) {
        throw FileError(e, "Umbenennen nach " + Utf8Path(target_));
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw FileError(errno, "Umbenennen nach " + Utf8Path(target_));
    }
    AfterFileCall(FileCall::Rename, temporary_, target_);
    committed_ = true;
    if (file_ >= 0) ::close(file_);
    file_ = -1;
    if (syncFolder) SyncFolder(target_.parent_path());
}

void StagedFile::Discard() noexcept {
    if (!committed_ && !temporary_.empty()) RemoveFileQuietly(temporary_);
    Keep();
}

void StagedFile::Keep() noexcept {
    temporary_.clear();
    if (file_ >= 0) ::close(file_);
    file_ = -1;
}

NativeFile OpenPlainFile(const fs::path& file, std::uint64_t& size) {
    Fd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ELOOP) {
            throw AppError(err::NotRegularFile, Utf8Path(file) + " ist ein Verweis, keine Datei");
        }
        throw FileError(errno, "Öffnen von " + Utf8Path(file));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        throw AppError(err::NotRegularFile, Utf8Path(file) + " ist keine gewöhnliche Datei");
    }
    size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    return fd.release();
}

void CloseFile(NativeFile file) noexcept {
    if (file >= 0) ::close(file);
}

bool HeldFile::TryLock() noexcept {
    while (::flock(file_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

bool HeldFile::TryShareLock() noexcept {
    const int e = BeforeFileCall(FileCall::LockTest, path_);
    if (e != 0) return e == kLockNotSeen;
    return LockRange(file_, RangeLock::Shared, false);
}

bool HeldFile::IsAt(const fs::path& path) const noexcept {
    struct stat mine {
    }, there{};
    return ::fstat(file_, &mine) == 0 && ::lstat(path.c_str(), &there) == 0 &&
           mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
}

RenameOutcome RenameExclusively(const fs::path& from, const fs::path& to) {
    return RenameNoReplace(from, to);
}

RenameOutcome HeldFile::ClaimAs(const fs::path& to) {
    // By name; the caller asks IsAt(to) whether it was this very file.
    return RenameNoReplace(path_, to);
}

RenameOutcome RenameNoReplace(const fs::path& from, const fs::path& to) {
    int e = BeforeFileCall(FileCall::RenameNoReplace, from, to);
    if (e != 0 && e != EINVAL) throw FileError(e, "Umbenennen nach " + Utf8Path(to));
#ifdef SYS_renameat2
    if (e == 0) {
        if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u) == 0) {
            AfterFileCall(FileCall::Rename, from, to);
            return RenameOutcome::Done;  // 1 = RENAME_NOREPLACE
        }
        if (errno == EEXIST) return RenameOutcome::TargetExists;
        if (errno == ENOENT) return RenameOutcome::SourceMissing;
        if (errno != EINVAL && errno != ENOSYS)
            throw FileError(errno, "Umbenennen nach " + Utf8Path(to));
    }
#endif
    // File systems without it (NFS, CIFS, FUSE): a hard link cannot replace either, then the
    // old name goes. Killed between the two, the file has both names; the start-up that
    // settles the confirmation knows the second name by the file's identity.
    if ((e = BeforeFileCall(FileCall::Link, from, to)) != 0) {
        throw FileError(e, "Umbenennen nach " + Utf8Path(to));
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return RenameOutcome::TargetExists;
        if (errno == ENOENT) return RenameOutcome::SourceMissing;
        throw FileError(errno, "Umbenennen nach " + Utf8Path(to));
    }
    AfterFileCall(FileCall::Link, from, to);
    // The new name is durable before the old one goes, or a power cut could leave neither.
    FlushFolder(to.parent_path());
    if ((e = BeforeFileCall(FileCall::Remove, from)) != 0 || ::unlink(from.c_str()) != 0) {
        const int error = e != 0 ? e : errno;
        if (error == ENOENT) {
            // Another program took the old name in between: the file is its, not ours.
            RemoveFileQuietly(to);
            return RenameOutcome::SourceMissing;
        }
        // Both names stay; the caller's failure path and the next start know them.
        throw FileError(error, "Umbenennen von " + Utf8Path(from));
    }
    AfterFileCall(FileCall::Remove, from);
    FlushFolder(from.parent_path());
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
    return e.Number() == err::PermissionDenied;
}

void rewriteInPlace(const fs::path& file, std::string_view bytes) {
    Fd fd(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(errno, "Öffnen von " + Utf8Path(file));
    if (!LockRange(fd.get(), RangeLock::Exclusive, true)) {
        throw FileError(errno, "Sperren von " + Utf8Path(file));
    }
    writeAll(fd.get(), bytes, file);
    if (int e = BeforeFileCall(FileCall::Truncate, file)) {
        throw FileError(e, "Schreiben von " + Utf8Path(file));
    }
    if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 ||
        !flushFile(fd.get(), file)) {
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
        file.Commit();
    } catch (const AppError& e) {
        if (!exists || !folderRefused(e) || ::access(real.c_str(), W_OK) != 0) throw;
        rewriteInPlace(real, bytes);
    }
}

}  // namespace morvik
