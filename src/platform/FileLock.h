#pragma once

#include <filesystem>

namespace morvik {

// An exclusive lock on a lock file, held for the object's lifetime. A second program that asks
// for the same lock waits until the first lets go. Throws AppError if the lock file cannot be
// opened.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace morvik
