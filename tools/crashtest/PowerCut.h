#pragma once

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/FileCalls.h"

namespace morvik::crashtest {

// What a power cut may leave. The child records every change to a file or folder as it happens
// (FileCalls.h), with a file's bytes at each write and each flush. From the folders as they were
// before the child and the record, Build() writes one state that a disk or a file server may
// leave after the cut:
//   - a creation, rename, link or deletion is durable once its folder was flushed after it; of
//     those not yet flushed, any subset survives (a rename's two halves together);
//   - a file holds the bytes of its last flush; where it was written since, it may instead hold
//     its latest bytes, a torn prefix of them, or the latest bytes with any of its sectors still
//     old (a disk writes the sectors of one write in any order).
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
    // Replays a record on top of what is known; with `cutBefore` > 0 only the calls before that
    // flush of a file or folder (1, 2, ...): the power failed right before it.
    void Load(const std::filesystem::path& record, int cutBefore = 0);
    // A folder on a share that cannot flush folders and says it did: its creations, renames and
    // deletions never become durable. Before Load.
    void FakeFlushesOf(const std::filesystem::path& folder) { fakedFolders_.push_back(folder); }
    // How many flushes of files and folders a record holds.
    static int FlushesIn(const std::filesystem::path& record);
    // Rewrites the folders to one state the cut may leave. Kind 0: every change not flushed is
    // lost (the kindest disk); any other kind draws one with `random`. Files with two names keep
    // them as hard links.
    void Build(int kind, std::mt19937& random) const;

  private:
    using Folder = std::map<std::string, int>;  // name, file
    struct Change {
        bool add;
        std::string name;
        int file;
        int group;  // the changes of one call: they survive together
    };
    struct Bytes {
        std::string flushed;
        std::string latest;
    };
    int newFile(std::string bytes);
    std::string survivingBytes(const Bytes& file, int kind, std::mt19937& random) const;

    std::vector<std::filesystem::path> folders_;
    std::vector<std::filesystem::path> fakedFolders_;
    std::map<std::filesystem::path, Folder> durable_;
    std::map<std::filesystem::path, Folder> current_;
    std::map<std::filesystem::path, std::vector<Change>> pending_;
    std::vector<Bytes> files_;
    int groups_ = 0;
};

}  // namespace morvik::crashtest
