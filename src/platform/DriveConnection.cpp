#include "platform/DriveConnection.h"

#include <filesystem>
#include <optional>

#include "base/Text.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

// fstab and /proc/self/mounts write blanks and backslashes in paths as \040, \011, \012, \134.
std::string unescapeOctal(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

// An absolute path without "." and ".." steps and without a trailing "/"; nullopt otherwise.
std::optional<std::string> normalPath(std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    // Forward slashes also on Windows, where the test tables are read too.
    const std::u8string generic = PathFromUtf8(path).lexically_normal().generic_u8string();
    std::string normal(generic.begin(), generic.end());
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

bool liesAtOrBelow(const std::string& folder, const std::string& mountPoint) {
    if (mountPoint == "/") return true;
    return folder.size() >= mountPoint.size() &&
           folder.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (folder.size() == mountPoint.size() || folder[mountPoint.size()] == '/');
}

// The mount points of a table, with each line's fields: device, mount point, type, ...
template <class Visit>
void forEachMountPoint(std::string_view table, Visit&& visit) {
    for (std::string_view line : SplitLines(table)) {
        const std::vector<std::string_view> fields = fieldsOf(line);
        if (fields.size() < 2 || fields[0].front() == '#') continue;
        if (fields.size() >= 3 && fields[2] == "swap") continue;
        if (auto mountPoint = normalPath(unescapeOctal(fields[1]))) visit(*mountPoint);
    }
}

}  // namespace

bool MountFstabEntryFor(std::string_view folder, std::string_view fstab, std::string_view mounts,
                        const CommandRunner& run) {
    const std::optional<std::string> target = normalPath(folder);
    if (!target) return false;
    std::string best;
    forEachMountPoint(fstab, [&](const std::string& mountPoint) {
        if (liesAtOrBelow(*target, mountPoint) && mountPoint.size() > best.size()) {
            best = mountPoint;
        }
    });
    if (best.empty()) return false;
    bool mounted = false;
    forEachMountPoint(mounts, [&](const std::string& mountPoint) {
        if (mountPoint == best) mounted = true;
    });
    if (mounted) return false;
    return run({"mount", best}) == 0;
}

}  // namespace morvik
