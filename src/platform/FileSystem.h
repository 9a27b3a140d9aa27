#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

namespace fs = std::filesystem;

// File-system helpers shared by the readers and writers. All of them throw AppError with a
// classic file error number (53 file not found, 70 permission denied, 75 access error, 76 path
// not found) so that the log says what went wrong.

// The whole file as raw bytes.
std::string ReadFileBytes(const fs::path& file);

// The names of the plain files directly in a folder, in the order the file system lists them.
std::vector<std::string> ListFiles(const fs::path& folder);

// Deletes a file, also when it is read-only.
void DeleteFileForced(const fs::path& file);

// Removes a file if it is there; a failure is ignored. For taking back what a failed operation
// had already placed.
void RemoveFileQuietly(const fs::path& file) noexcept;

// Joins a folder and a file name with the platform's separator.
fs::path JoinPath(std::string_view folder, std::string_view name);

// Drops one trailing "/" or "\" from a folder text, if there is one.
void DropTrailingSeparator(std::string& folder);

// A file written under a temporary name in its target folder, flushed to disk, and only
// moved to its final name by commit(). A reader of the folder therefore never sees half a
// file. The temporary name starts with "~" and ends in ".tmp", so it never looks like a
// GDT file. Destroying an uncommitted file removes the temporary.
class StagedFile {
  public:
    StagedFile(const fs::path& target, std::string_view bytes);
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Renames the temporary over the target. Throws AppError if that fails. A caller that
    // commits several files in one folder may sync the folder once itself (SyncFolder).
    void commit(bool syncFolder = true);
    // Removes the temporary (or, after commit, nothing). Never throws.
    void discard() noexcept;

    const fs::path& target() const { return target_; }
    const fs::path& temporary() const { return temporary_; }
    bool committed() const { return committed_; }

  private:
    fs::path target_;
    fs::path temporary_;
    bool committed_ = false;
};

// Makes the renames and deletions in a folder durable.
void SyncFolder(const fs::path& folder) noexcept;

// Writes a whole file through a StagedFile: either the old content or the new one is there.
void WriteFileAtomically(const fs::path& target, std::string_view bytes);

}  // namespace morvik
