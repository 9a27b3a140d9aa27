#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/Errno.h"
#include "platform/Guid.h"

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
            throw FileError(errno, "Schreiben von " + file.string());
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::string temporaryName() {
    static const char* hex = "0123456789abcdef";
    std::string name = "~";
    for (unsigned char b : NewGuidBytes()) {
        name.push_back(hex[b >> 4]);
        name.push_back(hex[b & 15]);
    }
    return name + ".tmp";
}

}  // namespace

void SyncFolder(const fs::path& folder) noexcept {
    Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

std::string ReadFileBytes(const fs::path& file) {
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(errno, "Öffnen von " + file.string());
    std::string bytes;
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && st.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, "Lesen von " + file.string());
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::vector<std::string> ListFiles(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        int e = ec.value() == ENOENT ? ENOTDIR : ec.value();
        throw FileError(e, "Auflisten von " + folder.string());
    }
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) throw FileError(ec.value(), "Auflisten von " + folder.string());
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    if (ec) throw FileError(ec.value(), "Auflisten von " + folder.string());
    return names;
}

void DeleteFileForced(const fs::path& file) {
    std::error_code ec;
    // A read-only request goes too; on Linux the mode does not stop unlink, on Windows it does.
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
    if (::unlink(file.c_str()) != 0) throw FileError(errno, "Löschen von " + file.string());
}

void RemoveFileQuietly(const fs::path& file) noexcept {
    ::unlink(file.c_str());
}

fs::path JoinPath(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    joined += static_cast<char>(fs::path::preferred_separator);
    joined += name;
    return fs::path(joined);
}

void DropTrailingSeparator(std::string& folder) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
}

StagedFile::StagedFile(const fs::path& target, std::string_view bytes)
    : target_(target), temporary_(target.parent_path() / temporaryName()) {
    Fd fd(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.get() < 0) throw FileError(errno, "Anlegen von " + temporary_.string());
    try {
        writeAll(fd.get(), bytes, temporary_);
        if (::fsync(fd.get()) != 0) throw FileError(errno, "Schreiben von " + temporary_.string());
        if (::close(fd.release()) != 0) {
            throw FileError(errno, "Schreiben von " + temporary_.string());
        }
    } catch (...) {
        ::unlink(temporary_.c_str());
        throw;
    }
}

StagedFile::~StagedFile() {
    discard();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      committed_(other.committed_) {
    other.temporary_.clear();
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        discard();
        target_ = std::move(other.target_);
        temporary_ = std::move(other.temporary_);
        committed_ = other.committed_;
        other.temporary_.clear();
    }
    return *this;
}

void StagedFile::commit(bool syncFolder) {
    if (committed_) return;
    if (temporary_.empty()) throw AppError(err::InternalError, "Datei wurde bereits verworfen");
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw FileError(errno, "Umbenennen nach " + target_.string());
    }
    committed_ = true;
    if (syncFolder) SyncFolder(target_.parent_path());
}

void StagedFile::discard() noexcept {
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

void WriteFileAtomically(const fs::path& target, std::string_view bytes) {
    StagedFile file(target, bytes);
    file.commit();
}

}  // namespace morvik
