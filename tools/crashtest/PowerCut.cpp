#include "PowerCut.h"

#include <fstream>
#include <sstream>

#include "Process.h"
#include "platform/FileSystem.h"

namespace morvik::crashtest {

namespace fs = std::filesystem;

void PowerCutRecord::Append(const fs::path& record, FileCall call, const fs::path& path,
                            const fs::path& other) {
    std::string bytes;
    if (call == FileCall::Flush) bytes = ReadFileBytes(path);
    std::string entry = std::to_string(static_cast<int>(call)) + "\n" + path.string() + "\n" +
                        other.string() + "\n" + std::to_string(bytes.size()) + "\n" + bytes;
    // One write, so that a child killed around it leaves the call whole or not at all.
    AppendAtOnce(record, entry);
}

PowerCut::PowerCut(const std::vector<fs::path>& folders) : folders_(folders) {
    for (const fs::path& folder : folders) {
        Folder& files = durable_[folder];
        for (const std::string& name : ListFiles(folder)) {
            files[name] = newFile(ReadFileBytes(folder / name));
        }
        current_[folder] = files;
    }
}

int PowerCut::newFile(std::string bytes) {
    bytes_.push_back(std::move(bytes));
    return static_cast<int>(bytes_.size()) - 1;
}

void PowerCut::Apply(const fs::path& record) {
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
    while (at < text.size()) {
        const auto call = static_cast<FileCall>(std::stoi(line()));
        const fs::path path = line();
        const fs::path other = line();
        const std::size_t size = std::stoul(line());
        const std::string bytes = text.substr(at, size);
        at += size;
        const fs::path folder = path.parent_path();
        const std::string name = path.filename().string();
        if (!current_.contains(folder) && call != FileCall::FlushFolder) continue;  // not ours
        Folder& now = current_[folder];
        switch (call) {
            case FileCall::Create: {
                const int file = newFile("");
                now[name] = file;
                pending_[folder].push_back({true, name, file});
                break;
            }
            case FileCall::Flush:
                if (now.contains(name)) bytes_[now[name]] = bytes;
                break;
            case FileCall::Rename:
            case FileCall::Link: {
                if (!now.contains(name)) break;
                const int file = now[name];
                const fs::path to = other.parent_path();
                current_[to][other.filename().string()] = file;
                pending_[to].push_back({true, other.filename().string(), file});
                if (call == FileCall::Rename) {
                    now.erase(name);
                    pending_[folder].push_back({false, name, file});
                }
                break;
            }
            case FileCall::Remove:
                now.erase(name);
                pending_[folder].push_back({false, name, -1});
                break;
            case FileCall::FlushFolder:
                for (const Pending& p : pending_[path]) {
                    if (p.add) {
                        durable_[path][p.name] = p.file;
                    } else {
                        durable_[path].erase(p.name);
                    }
                }
                pending_[path].clear();
                break;
            default:
                break;
        }
    }
    // The folders as the power cut leaves them.
    std::map<int, fs::path> written;
    for (const fs::path& folder : folders_) {
        for (const std::string& name : ListFiles(folder)) fs::remove(folder / name);
    }
    for (const fs::path& folder : folders_) {
        for (const auto& [name, file] : durable_[folder]) {
            const fs::path target = folder / name;
            if (written.contains(file)) {
                fs::create_hard_link(written[file], target);
                continue;
            }
            std::ofstream(target, std::ios::binary) << bytes_[file];
            written[file] = target;
        }
    }
}

}  // namespace morvik::crashtest
