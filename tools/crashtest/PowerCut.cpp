#include "PowerCut.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "Process.h"
#include "platform/FileSystem.h"

namespace morvik::crashtest {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSector = 512;

}  // namespace

void PowerCutRecord::Append(const fs::path& record, FileCall call, const fs::path& path,
                            const fs::path& other) {
    std::string bytes;
    if (call == FileCall::Flush || call == FileCall::Write || call == FileCall::Truncate) {
        bytes = ReadFileBytes(path);
    }
    std::string entry = std::to_string(static_cast<int>(call)) + "\n" + path.string() + "\n" +
                        other.string() + "\n" + std::to_string(bytes.size()) + "\n" + bytes;
    // One write, so that a child killed around it leaves the call whole or not at all.
    AppendAtOnce(record, entry);
}

PowerCut::PowerCut(const std::vector<fs::path>& folders) : folders_(folders) {
    // A file with two names (a rename without replacing cut between link and unlink) stays one.
    std::vector<std::pair<fs::path, int>> linked;
    for (const fs::path& folder : folders) {
        Folder& files = durable_[folder];
        for (const std::string& name : ListFiles(folder)) {
            const fs::path path = folder / name;
            const bool manyNames = fs::hard_link_count(path) > 1;
            int file = -1;
            for (const auto& [other, id] : linked) {
                if (manyNames && fs::equivalent(path, other)) file = id;
            }
            if (file < 0) {
                file = newFile(ReadFileBytes(path));
                if (manyNames) linked.emplace_back(path, file);
            }
            files[name] = file;
        }
        current_[folder] = files;
    }
}

int PowerCut::newFile(std::string bytes) {
    files_.push_back({bytes, bytes});
    return static_cast<int>(files_.size()) - 1;
}

namespace {

struct RecordedCall {
    FileCall call;
    fs::path path;
    fs::path other;
    std::string bytes;
};

std::vector<RecordedCall> readRecord(const fs::path& record) {
    std::ifstream in(record, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    std::size_t at = 0;
    auto line = [&]() -> std::string {
        const std::size_t end = text.find('\n', at);
        std::string l = text.substr(at, end - at);
        at = end + 1;
        return l;
    };
    std::vector<RecordedCall> calls;
    while (at < text.size()) {
        RecordedCall c;
        c.call = static_cast<FileCall>(std::stoi(line()));
        c.path = line();
        c.other = line();
        const std::size_t size = std::stoul(line());
        c.bytes = text.substr(at, size);
        at += size;
        calls.push_back(std::move(c));
    }
    return calls;
}

bool isFlush(FileCall call) {
    return call == FileCall::Flush || call == FileCall::FlushFolder;
}

}  // namespace

int PowerCut::FlushesIn(const fs::path& record) {
    const std::vector<RecordedCall> calls = readRecord(record);
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [](const auto& c) { return isFlush(c.call); }));
}

void PowerCut::Load(const fs::path& record, int cutBefore) {
    int flushes = 0;
    for (const auto& [call, path, other, bytes] : readRecord(record)) {
        if (isFlush(call) && ++flushes == cutBefore) break;
        const fs::path folder = path.parent_path();
        const std::string name = path.filename().string();
        if (call == FileCall::FlushFolder) {
            if (!durable_.contains(path)) continue;  // not ours
            if (std::find(fakedFolders_.begin(), fakedFolders_.end(), path) !=
                fakedFolders_.end()) {
                continue;
            }
            Folder& durable = durable_[path];
            for (const Change& c : pending_[path]) {
                if (c.add) {
                    durable[c.name] = c.file;
                } else {
                    durable.erase(c.name);
                }
            }
            pending_[path].clear();
            continue;
        }
        if (!current_.contains(folder)) continue;  // not ours
        Folder& now = current_[folder];
        const int group = ++groups_;
        switch (call) {
            case FileCall::Create: {
                const int file = newFile("");
                now[name] = file;
                pending_[folder].push_back({true, name, file, group});
                break;
            }
            case FileCall::Write:
            case FileCall::Truncate:
                if (now.contains(name)) files_[now[name]].latest = bytes;
                break;
            case FileCall::Flush:
                if (now.contains(name)) files_[now[name]] = {bytes, bytes};
                break;
            case FileCall::Rename:
            case FileCall::Link: {
                if (!now.contains(name)) break;
                const int file = now[name];
                const fs::path to = other.parent_path();
                if (!current_.contains(to)) break;
                current_[to][other.filename().string()] = file;
                pending_[to].push_back({true, other.filename().string(), file, group});
                if (call == FileCall::Rename) {
                    now.erase(name);
                    pending_[folder].push_back({false, name, file, group});
                }
                break;
            }
            case FileCall::Remove:
                now.erase(name);
                pending_[folder].push_back({false, name, -1, group});
                break;
            default:
                break;
        }
    }
}

std::string PowerCut::survivingBytes(const Bytes& file, int kind, std::mt19937& random) const {
    if (kind == 0 || file.latest == file.flushed) return file.flushed;
    switch (random() % 4) {
        case 0:
            return file.flushed;
        case 1:
            return file.latest;
        case 2: {
            // Torn: the write reached the disk only in part, from its start.
            const std::size_t from =
                file.latest.starts_with(file.flushed) ? file.flushed.size() : 0;
            return file.latest.substr(0, from + random() % (file.latest.size() - from + 1));
        }
        default: {
            // Any of its sectors still as they were before the write (zeros where there was
            // nothing): the disk wrote the others only.
            std::string bytes = file.latest;
            for (std::size_t sector = 0; sector * kSector < bytes.size(); ++sector) {
                if (random() % 2 == 0) continue;
                for (std::size_t i = sector * kSector;
                     i < std::min(bytes.size(), (sector + 1) * kSector); ++i) {
                    bytes[i] = i < file.flushed.size() ? file.flushed[i] : '\0';
                }
            }
            return bytes;
        }
    }
}

void PowerCut::Build(int kind, std::mt19937& random) const {
    // Which of the unflushed calls survive: none, or any subset, a call's changes together.
    std::set<int> kept;
    if (kind != 0) {
        for (const auto& [folder, changes] : pending_) {
            for (const Change& c : changes) {
                if (random() % 2 == 0) kept.insert(c.group);
            }
        }
    }
    std::map<fs::path, Folder> state = durable_;
    for (const auto& [folder, changes] : pending_) {
        for (const Change& c : changes) {
            if (!kept.contains(c.group)) continue;
            if (c.add) {
                state[folder][c.name] = c.file;
            } else {
                state[folder].erase(c.name);
            }
        }
    }
    for (const fs::path& folder : folders_) {
        for (const std::string& name : ListFiles(folder)) fs::remove(folder / name);
    }
    std::map<int, fs::path> written;
    for (const fs::path& folder : folders_) {
        for (const auto& [name, file] : state[folder]) {
            const fs::path target = folder / name;
            if (written.contains(file)) {
                fs::create_hard_link(written[file], target);
                continue;
            }
            std::ofstream(target, std::ios::binary) << survivingBytes(files_[file], kind, random);
            written[file] = target;
        }
    }
}

}  // namespace morvik::crashtest
