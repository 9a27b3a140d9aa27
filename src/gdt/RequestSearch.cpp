#include "gdt/RequestSearch.h"

#include "base/Text.h"
#include "platform/FileSystem.h"

namespace morvik {

bool IsRequestName(std::string_view fileName, std::string_view suffix) {
    return UpperCase(LastCharacters(fileName, 3)) == UpperCase(suffix);
}

std::optional<std::string> FindRequest(
    std::string_view folder, std::string_view suffix, const std::function<void()>& beforeEach,
    const std::function<void(const std::string& name)>& skipped) {
    // Windows lists an NTFS folder in name order, letter case aside; the order of this file
    // system's listing (a hash on Linux) must not decide which request is shown.
    std::optional<std::string> first;
    std::string firstKey;
    for (const FolderEntry& entry : ListEntries(PathFromUtf8(folder))) {
        if (beforeEach) beforeEach();
        if (!IsRequestName(entry.name, suffix)) continue;
        if (!entry.regular) {
            if (skipped) skipped(entry.name);
            continue;
        }
        std::string key = UpperCase(entry.name);
        if (!first || key < firstKey || (key == firstKey && entry.name < *first)) {
            first = entry.name;
            firstKey = std::move(key);
        }
    }
    if (!first) return std::nullopt;
    return Utf8Path(JoinPath(folder, *first));
}

}  // namespace morvik
