#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace morvik {

// A small file of the program's own (a confirmation's journal) that says "mine" to every copy of
// the program on every workstation that sees it. It is held open for reading and writing with an
// exclusive byte-range lock (fcntl, LockFileEx), which NFS and SMB carry to the file server and
// which goes when its holder ends, however it ends. Whoever holds the lock may settle the file.
class OwnedFile {
  public:
    // A new file (never an existing one), locked. Throws AppError, also when the lock cannot be
    // taken: nobody else could tell that its owner is alive.
    static std::unique_ptr<OwnedFile> Create(const fs::path& path);

    enum class Take {
        Taken,  // the lock is ours now: its holder has gone
        Held,   // its holder may be alive: the lock is held or could not be taken or tested
        Gone,   // no such file (any more)
    };
    // Opens an existing file and takes its lock without waiting. A lock that cannot be tested at
    // all (a share without locking answers ENOLCK) still gives Taken, with Locked() false: the
    // caller then knows of its holder only what the file's age tells.
    static Take TryTake(const fs::path& path, std::unique_ptr<OwnedFile>& taken);
    bool Locked() const { return locked_; }

    // Marks the file as written now, by the file server's clock: its holder is alive. Best
    // effort; a renewal that fails only lets the file look older than it is.
    void Renew() noexcept;
    // Marks the file as left long ago: its holder is done with it, and any copy may settle it at
    // once. Best effort, like Renew.
    void Abandon() noexcept;
    // When the file was last written or renewed, in seconds since 1970 by the file server's
    // clock (as LastWritten). Throws AppError.
    std::int64_t LastWrite() const;
    // Whether Path() still names this very file, not one put there by another copy.
    bool IsAt() const noexcept;

    ~OwnedFile();  // lets go of the lock
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    // Every byte (at most 1 MB).
    std::string Read() const;
    std::uint64_t Size() const { return size_; }
    // Whether an append waits for the disk, or leaves that to the next append or cut that does.
    enum class AppendFlush { Now, WithTheNext };
    // Appends and flushes the file. Throws AppError; a failed append may have left part of it.
    void Append(std::string_view bytes, AppendFlush flush = AppendFlush::Now);
    // Cuts the file back to `size` bytes and flushes it. Throws AppError.
    void Truncate(std::uint64_t size);
    // Deletes it while still holding its lock, so no other copy takes a file on its way out.
    // Throws AppError.
    void Remove();
    const fs::path& Path() const { return path_; }

  private:
    OwnedFile(fs::path path, NativeFile file, std::uint64_t size, bool locked = true)
        : path_(std::move(path)), file_(file), size_(size), locked_(locked) {}

    fs::path path_;
    NativeFile file_ = kNoFile;
    std::uint64_t size_ = 0;
    bool locked_ = true;
};

// This workstation's name, for the operator of another one ("PC-EMPFANG"); "?" when unknown.
std::string WorkstationName();
// The crash test plays several workstations on one machine; the program never sets it.
void SetWorkstationNameForTest(std::string name);

}  // namespace morvik
