// The file-system helpers that read the same on every system; FileSystemPosix.cpp and
// FileSystemWindows.cpp hold what the system does itself.
#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <limits>
#include <mutex>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/Errno.h"
#include "platform/FileCalls.h"
#include "platform/Guid.h"
#include "platform/ReadAt.h"

namespace morvik {

std::size_t ReadReservation(std::uint64_t expected, std::uint64_t stopAfter) noexcept {
    // A file that says nothing of its size (a pipe, some network file systems) starts small.
    constexpr std::uint64_t kLeast = 4096;
    // stopAfter + 1 would overflow for UINT64_MAX, and a string never holds more than this.
    const std::uint64_t most =
        std::min<std::uint64_t>(stopAfter, std::numeric_limits<std::size_t>::max() / 2);
    return static_cast<std::size_t>(std::min(expected > 0 ? expected : kLeast - 1, most) + 1);
}

fs::path PathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string NewTemporaryName() {
    static const char* hex = "0123456789abcdef";
    std::string name = "~";
    for (unsigned char b : NewGuidBytes()) {
        name.push_back(hex[b >> 4]);
        name.push_back(hex[b & 15]);
    }
    return name + ".tmp";
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() != 37 || name.front() != '~' || !name.ends_with(".tmp")) return false;
    for (char c : name.substr(1, 32)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool Exists(const fs::path& path) {
    if (int e = BeforeFileCall(FileCall::Look, path)) {
        throw FileError(e, "Prüfen von " + Utf8Path(path));
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    // "Not found" (no such file, or a folder on the way that is none) is the one answer that
    // means absent; a share that did not answer is no answer.
    if (status.type() == fs::file_type::not_found) return false;
    if (ec) throw FileError(ec, "Prüfen von " + Utf8Path(path));
    return true;
}

std::int64_t LastWritten(const fs::path& file) {
    std::error_code ec;
    const fs::file_time_type written = fs::last_write_time(file, ec);
    if (ec) throw FileError(ec, "Prüfen von " + Utf8Path(file));
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::file_clock::to_sys(written).time_since_epoch())
        .count();
}

std::int64_t ShareNow(const fs::path& folder) {
    // The server stamps a file it writes with its own clock; a temporary of our own, written and
    // at once removed, reads that clock. It never gets a name; a sweep takes one left by a kill.
    StagedFile file(folder / "clock", "0");
    const std::int64_t now = LastWritten(file.Temporary());
    file.Discard();
    return now;
}

std::vector<FolderEntry> ListEntries(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        // A folder that is not there is a path not found, not a file not found.
        if (ec == std::errc::no_such_file_or_directory)
            ec = std::make_error_code(std::errc::not_a_directory);
        throw FileError(ec, "Auflisten von " + Utf8Path(folder));
    }
    std::vector<FolderEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) throw FileError(ec, "Auflisten von " + Utf8Path(folder));
        std::error_code typeError;
        // The entry itself, not what a link points at.
        const bool regular = it->symlink_status(typeError).type() == fs::file_type::regular;
        entries.push_back({Utf8Path(it->path().filename()), regular});
    }
    if (ec) throw FileError(ec, "Auflisten von " + Utf8Path(folder));
    return entries;
}

std::vector<std::string> ListFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (FolderEntry& entry : ListEntries(folder)) {
        if (entry.regular) names.push_back(std::move(entry.name));
    }
    return names;
}

void AppendToFile(const fs::path& file, std::string_view bytes) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) throw FileError(ec, "Anlegen von " + Utf8Path(file.parent_path()));
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw AppError(err::PathFileAccess, "Schreiben in " + Utf8Path(file));
}

fs::path JoinPath(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    joined += static_cast<char>(fs::path::preferred_separator);
    joined += name;
    return PathFromUtf8(joined);
}

void DropTrailingSeparator(std::string& folder) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
}

namespace {

// A std::string sets the bytes it grows by; a ByteBuffer leaves them for the read.
void growTo(std::string& bytes, std::size_t size) {
    bytes.resize(size);
}
void growTo(ByteBuffer& bytes, std::size_t size) {
    bytes.ResizeUnset(size);
}

template <class Bytes>
Bytes readFromStart(NativeFile file, std::uint64_t stopAfter, const fs::path& name,
                    std::uint64_t expected) {
    // Straight into the buffer, sized to the file and one byte more: that byte is where a file
    // that grew shows itself without a second allocation.
    Bytes bytes;
    growTo(bytes, ReadReservation(expected, stopAfter));
    std::size_t used = 0;
    while (used <= stopAfter) {
        if (used == bytes.size()) growTo(bytes, ReadReservation(2 * used + 4096, stopAfter));
        const std::size_t asked = bytes.size() - used;
        const std::size_t n = ReadAt(file, bytes.data() + used, asked, used, name);
        if (n == 0) break;
        used += n;
        if (n < asked && used == expected) break;
    }
    growTo(bytes, used);
    return bytes;
}

// Every byte of an open plain file, `size` what the system said of it when it was opened: a file
// far too large is refused unread, and the read itself finds the end as it is now.
template <class Bytes>
Bytes readAtMost(NativeFile file, std::uint64_t limit, const fs::path& name, std::uint64_t size) {
    if (int e = BeforeFileCall(FileCall::Read, name))
        throw FileError(e, "Lesen von " + Utf8Path(name));
    if (size > limit) {
        throw AppError(err::FileTooLarge, Utf8Path(name) + " ist " + std::to_string(size) +
                                              " Bytes groß, erlaubt sind " + std::to_string(limit));
    }
    Bytes bytes = readFromStart<Bytes>(file, limit, name, size);
    // It may have grown since.
    if (bytes.size() > limit) throw AppError(err::FileTooLarge, Utf8Path(name) + " ist zu groß");
    return bytes;
}

}  // namespace

std::string ReadFromStartSized(NativeFile file, std::uint64_t stopAfter, const fs::path& name,
                               std::uint64_t expected) {
    return readFromStart<std::string>(file, stopAfter, name, expected);
}

std::string ReadFromStart(NativeFile file, std::uint64_t stopAfter, const fs::path& name) {
    if (int e = BeforeFileCall(FileCall::Read, name))
        throw FileError(e, "Lesen von " + Utf8Path(name));
    return ReadFromStartSized(file, stopAfter, name, SizeOf(file));
}

HeldFile::HeldFile(const fs::path& file) : path_(file) {
    file_ = OpenPlainFile(file, sizeWhenOpened_);
}

HeldFile::~HeldFile() {
    CloseFile(file_);
}

std::string HeldFile::ReadAll(std::uint64_t limit) const {
    return readAtMost<std::string>(file_, limit, path_, sizeWhenOpened_);
}

ByteBuffer ReadPlainFile(const fs::path& file, std::uint64_t limit) {
    std::uint64_t size = 0;
    const NativeFile opened = OpenPlainFile(file, size);
    try {
        ByteBuffer bytes = readAtMost<ByteBuffer>(opened, limit, file, size);
        CloseFile(opened);
        return bytes;
    } catch (...) {
        CloseFile(opened);
        throw;
    }
}

bool RemoveStaleTemporary(const fs::path& file) noexcept {
    try {
        HeldFile held(file);
        // Still the same file under that name: a live writer may have renamed it meanwhile.
        if (!held.TryShareLock() || !held.IsAt(file)) return false;
        DeleteFileForced(file);
        return true;
    } catch (...) {
        return false;
    }
}

StagedFile::StagedFile(const fs::path& target, std::string_view bytes, int mode, StagedFlush flush)
    : target_(target) {
    writeTemporary(bytes, mode);
    if (flush == StagedFlush::Later) {
        startWriting();
        return;
    }
    try {
        Flush();
    } catch (...) {
        Discard();
        throw;
    }
}

void StagedFile::Flush() {
    if (flushed_) return;
    if (file_ == kNoFile) throw AppError(err::InternalError, "Datei wurde bereits verworfen");
    flushToDisk();
    flushed_ = true;
}

StagedFile::~StagedFile() {
    Discard();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      file_(other.file_),
      committed_(other.committed_),
      flushed_(other.flushed_) {
    other.temporary_.clear();
    other.file_ = kNoFile;
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        Discard();
        target_ = std::move(other.target_);
        temporary_ = std::move(other.temporary_);
        file_ = other.file_;
        committed_ = other.committed_;
        flushed_ = other.flushed_;
        other.temporary_.clear();
        other.file_ = kNoFile;
    }
    return *this;
}

namespace {

// 0 nothing met yet, 1 a notice waits, 2 it was taken: one notice a run.
std::atomic<int> unflushedState{0};
std::mutex unflushedMutex;
std::string unflushedNotice;

}  // namespace

void NoteUnflushedFolder(const fs::path& folder, const std::string& why) noexcept {
    if (unflushedState.load() != 0) return;
    try {
        std::lock_guard<std::mutex> lock(unflushedMutex);
        if (unflushedState.load() != 0) return;
        unflushedNotice = "Der Ordner " + Utf8Path(folder) + " kann nicht gesichert werden (" +
                          why +
                          "): Umbenennungen und Löschungen darin überstehen einen Stromausfall "
                          "nur, wenn das Dateisystem oder der Server sie selbst sofort schreibt";
        unflushedState.store(1);
    } catch (...) {
        // Without memory for the text there is no notice; the flush itself went on as it could.
    }
}

std::optional<std::string> TakeUnflushedFolderNotice() noexcept {
    if (unflushedState.load(std::memory_order_relaxed) != 1) return std::nullopt;
    std::lock_guard<std::mutex> lock(unflushedMutex);
    if (unflushedState.load() != 1) return std::nullopt;
    unflushedState.store(2);
    return std::move(unflushedNotice);
}

void WriteFileAtomically(const fs::path& target, std::string_view bytes) {
    StagedFile file(target, bytes);
    file.Commit();
}

}  // namespace morvik
