#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace morvik {

// An exclusive lock on a lock file, held for the object's lifetime. A second program that asks
// for the same lock waits until the first lets go. Throws AppError if the lock file cannot be
// opened. The lock file may carry a small note of its own (the counter keeps its highest number
// issued there), read and written only while the lock is held.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    std::string ReadNote() const;
    // Replaces the note in one write and flushes it. Throws AppError on failure.
    void WriteNote(std::string_view note);

  private:
    std::filesystem::path path_;
    NativeFile file_ = kNoFile;
};

}  // namespace morvik
