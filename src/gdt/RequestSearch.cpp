#include "gdt/RequestSearch.h"

#include <algorithm>

#include "base/Text.h"
#include "platform/FileSystem.h"

namespace morvik {

bool IsRequestName(std::string_view fileName, std::string_view suffix) {
    return UpperCase(LastCharacters(fileName, 3)) == UpperCase(suffix);
}

std::vector<std::string> FindRequests(std::string_view folder, std::string_view suffix,
                                      const std::function<void()>& beforeEach,
                                      const std::function<void(const std::string& name)>& skipped) {
    std::vector<std::pair<std::string, std::string>> found;  // upper-case key, name
    for (const FolderEntry& entry : ListEntries(PathFromUtf8(folder))) {
        if (beforeEach) beforeEach();
        if (!IsRequestName(entry.name, suffix)) continue;
        if (!entry.regular) {
            if (skipped) skipped(entry.name);
            continue;
        }
        found.emplace_back(UpperCase(entry.name), entry.name);
    }
    // Windows lists an NTFS folder in name order, letter case aside; the order of this file
    // system's listing (a hash on Linux) must not decide which request is shown.
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (const auto& [key, name] : found) paths.push_back(Utf8Path(JoinPath(folder, name)));
    return paths;
}

std::optional<std::string> FindRequest(
    std::string_view folder, std::string_view suffix, const std::function<void()>& beforeEach,
    const std::function<void(const std::string& name)>& skipped) {
    std::vector<std::string> paths = FindRequests(folder, suffix, beforeEach, skipped);
    if (paths.empty()) return std::nullopt;
    return paths.front();
}

}  // namespace morvik
