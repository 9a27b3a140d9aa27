#include "config/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "base/Text.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

// One line of the file, split into what the profile functions see in it.
struct Line {
    std::string_view raw;  // without its line end
    bool isSection = false;
    std::string_view name;  // section name, or key name of a key line
    std::string_view value;
    bool isKey = false;
};

Line parse(std::string_view raw) {
    Line line;
    line.raw = raw;
    std::string_view t = TrimBlanks(raw);
    if (t.empty() || t.front() == ';') return line;
    if (t.front() == '[') {
        std::size_t close = t.find(']');
        line.isSection = true;
        line.name = TrimBlanks(
            t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return line;
    }
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return line;
    line.isKey = true;
    line.name = TrimBlanks(t.substr(0, eq));
    line.value = TrimBlanks(t.substr(eq + 1));
    return line;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

std::optional<std::string> readFileIfPresent(const std::filesystem::path& file) {
    try {
        return ReadFileBytes(file);
    } catch (...) {
        return std::nullopt;
    }
}

std::string safeValue(std::string_view value) {
    std::string v(value);
    std::replace(v.begin(), v.end(), '\r', ' ');
    std::replace(v.begin(), v.end(), '\n', ' ');
    return v;
}

}  // namespace

std::string ReadINI(std::string_view section, std::string_view key, std::string_view defaultValue,
                    const std::filesystem::path& file, int size) {
    std::size_t limit = size > 0 ? static_cast<std::size_t>(size - 1) : 0;
    std::string result = ToAnsi(defaultValue);
    if (auto text = readFileIfPresent(file)) {
        bool inSection = false;
        for (std::string_view raw : splitLines(*text)) {
            Line line = parse(raw);
            if (line.isSection) {
                if (inSection) break;  // the first section of that name is the one read
                inSection = SameIgnoringCase(line.name, section);
            } else if (inSection && line.isKey && SameIgnoringCase(line.name, key)) {
                std::string_view v = line.value;
                if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') &&
                    v.back() == v.front()) {
                    v = v.substr(1, v.size() - 2);
                }
                result = std::string(v);
                break;
            }
        }
    }
    if (result.size() > limit) result.resize(limit);
    return FromAnsi(result);
}

void WriteINI(std::string_view section, const IniValues& values,
              const std::filesystem::path& file) {
    std::string text;
    if (std::filesystem::exists(file))
        text = ReadFileBytes(file);  // unreadable: refuse to overwrite
    std::vector<std::string> lines;
    for (std::string_view l : splitLines(text)) lines.emplace_back(l);
    std::string sectionAnsi = ToAnsi(section);

    for (const auto& [key, value] : values) {
        std::string keyAnsi = ToAnsi(key);
        std::string newLine = keyAnsi + "=" + ToAnsi(safeValue(value));
        std::optional<std::size_t> sectionAt, keyAt;
        std::size_t lastInSection = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            Line line = parse(lines[i]);
            if (line.isSection) {
                if (sectionAt) break;
                if (SameIgnoringCase(line.name, sectionAnsi)) {
                    sectionAt = i;
                    lastInSection = i;
                }
            } else if (sectionAt) {
                if (!TrimBlanks(lines[i]).empty()) lastInSection = i;
                if (line.isKey && SameIgnoringCase(line.name, keyAnsi)) {
                    keyAt = i;
                    break;
                }
            }
        }
        if (keyAt) {
            lines[*keyAt] = newLine;
        } else if (sectionAt) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastInSection + 1), newLine);
        } else {
            if (!lines.empty() && !TrimBlanks(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + sectionAnsi + "]");
            lines.push_back(newLine);
        }
    }

    std::string out;
    for (const auto& l : lines) out.append(l).append("\r\n");
    ReplaceFile(file, out);
}

void WriteINI(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file) {
    WriteINI(section, IniValues{{std::string(key), std::string(value)}}, file);
}

}  // namespace morvik
