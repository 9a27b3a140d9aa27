#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/FileCalls.h"

namespace morvik::crashtest {

// What a power cut leaves. The child records every change to a file or folder as it happens
// (FileCalls.h); a flushed file's bytes are recorded with the flush. The surviving state is then
// built from the folders as they were before the child and the record: a file keeps only the
// bytes it had at its last flush (none, when never flushed), and a creation, rename, link or
// deletion counts only once its folder was flushed after it.
class PowerCutRecord {
  public:
    // In the child: append one call to the record file.
    static void Append(const std::filesystem::path& record, FileCall call,
                       const std::filesystem::path& path, const std::filesystem::path& other);
};

class PowerCut {
  public:
    // The plain files directly in `folders`, as they are now, count as durable.
    explicit PowerCut(const std::vector<std::filesystem::path>& folders);
    // Replays the record and rewrites the folders to what would survive. Files with two names
    // keep them as hard links.
    void Apply(const std::filesystem::path& record);

  private:
    using Folder = std::map<std::string, int>;  // name, file
    struct Pending {
        bool add;
        std::string name;
        int file;
    };
    int newFile(std::string bytes);

    std::vector<std::filesystem::path> folders_;
    std::map<std::filesystem::path, Folder> durable_;
    std::map<std::filesystem::path, Folder> current_;
    std::map<std::filesystem::path, std::vector<Pending>> pending_;
    std::vector<std::string> bytes_;  // durable bytes per file
};

}  // namespace morvik::crashtest
