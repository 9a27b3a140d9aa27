#include "gdt/RequestSearch.h"

#include <unicode/utf8.h>

#include "base/Text.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

// The last `count` characters of a UTF-8 text (all of it when shorter).
std::string_view lastCharacters(std::string_view text, int count) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
    auto i = static_cast<std::int32_t>(text.size());
    for (int n = 0; n < count && i > 0; ++n) U8_BACK_1(s, 0, i);
    return text.substr(static_cast<std::size_t>(i));
}

}  // namespace

bool IsRequestName(std::string_view fileName, std::string_view suffix) {
    return UpperCase(lastCharacters(fileName, 3)) == UpperCase(suffix);
}

std::optional<std::string> FindRequest(
    std::string_view folder, std::string_view suffix, const std::function<void()>& beforeEach,
    const std::function<void(const std::string& name)>& skipped) {
    // Windows lists an NTFS folder in name order, letter case aside; the order of this file
    // system's listing (a hash on Linux) must not decide which request is shown.
    std::optional<std::string> first;
    std::string firstKey;
    for (const FolderEntry& entry : ListEntries(std::string(folder))) {
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
    return JoinPath(folder, *first).string();
}

}  // namespace morvik
