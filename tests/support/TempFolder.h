#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace morvik::test {

namespace fs = std::filesystem;

// A fresh folder below the system's temp folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(std::string_view name) const { return path_ / name; }

  private:
    fs::path path_;
};

std::string ReadBytes(const fs::path& file);
void WriteBytes(const fs::path& file, std::string_view bytes);
// Names of the plain files in a folder, sorted.
std::vector<std::string> FileNames(const fs::path& folder);
// Lines of a CR LF text file (without the CR LF).
std::vector<std::string> CrLfLines(const fs::path& file);

}  // namespace morvik::test
