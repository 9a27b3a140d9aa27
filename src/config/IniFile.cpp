#include "config/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "base/Text.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

// The profile functions take these as blanks around lines, names and values: space, tab,
// vertical tab, form feed, and ^Z, an old end-of-file mark. (CR and LF end a line anyway.)
std::string_view trimmed(std::string_view s) {
    return TrimBlanks(s, " \t\v\f\x1A");
}

// One line of the file, split into what the profile functions see in it.
struct Line {
    bool isSection = false;
    bool isKey = false;     // a key line, with or without "="
    bool hasValue = false;  // a key without "=" reads as missing
    std::string_view name;  // section name, or key name of a key line
    std::string_view value;
};

Line parse(std::string_view raw) {
    Line line;
    std::string_view t = trimmed(raw);
    if (t.empty() || t.front() == ';') return line;
    std::size_t close = t.rfind(']');
    if (t.front() == '[' && close != std::string_view::npos) {
        line.isSection = true;
        line.name = trimmed(t.substr(1, close - 1));
        return line;
    }
    std::size_t eq = t.find('=');
    line.isKey = true;
    line.hasValue = eq != std::string_view::npos;
    line.name = trimmed(t.substr(0, eq));
    if (line.hasValue) line.value = trimmed(t.substr(eq + 1));
    return line;
}

// A line ends at CR LF, LF or CR.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// Where a key of a section stands: the section's first header, the key's first line in it, and
// the last line of the section that is not blank.
struct Position {
    std::optional<std::size_t> section, key;
    std::size_t lastInSection = 0;
};

template <class Lines>
Position find(const Lines& lines, std::string_view section, std::string_view key) {
    Position at;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Line line = parse(lines[i]);
        if (line.isSection) {
            if (at.section) break;
            if (SameIgnoringCase(line.name, section)) at.section = at.lastInSection = i;
        } else if (at.section) {
            if (!trimmed(lines[i]).empty()) at.lastInSection = i;
            if (line.isKey && SameIgnoringCase(line.name, key)) {
                at.key = i;
                break;
            }
        }
    }
    return at;
}

// A value (or default) as it arrives in a buffer of size characters: one pair of enclosing quotes
// removed, cut to size - 1. Where the cut falls just before the closing quote, the profile
// functions still drop one character at the end.
std::string delivered(std::string_view v, int size) {
    if (size <= 0) return "";
    auto room = static_cast<std::size_t>(size);
    bool quoted = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
    if (quoted) v.remove_prefix(1);
    std::string out(v.substr(0, room - 1));
    if (quoted && room >= v.size() && !out.empty()) out.pop_back();
    return out;
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

IniFileText::IniFileText(const std::filesystem::path& file) {
    if (std::optional<std::string> text = readFileIfPresent(file)) {
        text_ = std::move(*text);
        lines_ = splitLines(text_);
    }
}

std::string IniFileText::Read(std::string_view section, std::string_view key,
                              std::string_view defaultValue, int size) const {
    // Trailing blanks of the default do not count (its first character always does).
    std::string_view value = defaultValue;
    while (value.size() > 1 && value.back() == ' ') value.remove_suffix(1);
    std::string ansiDefault = ToAnsi(value);
    value = ansiDefault;
    Position at = find(lines_, ToAnsi(section), ToAnsi(key));
    if (at.key) {
        Line line = parse(lines_[*at.key]);
        if (line.hasValue) value = line.value;
    }
    return FromAnsi(delivered(value, size));
}

bool IniFileText::HasSection(std::string_view section) const {
    return find(lines_, ToAnsi(section), "").section.has_value();
}

std::string ReadINI(std::string_view section, std::string_view key, std::string_view defaultValue,
                    const std::filesystem::path& file, int size) {
    return IniFileText(file).Read(section, key, defaultValue, size);
}

namespace {

void setKeys(std::vector<std::string>& lines, std::string_view section, const IniValues& values) {
    std::string sectionAnsi = ToAnsi(section);
    for (const auto& [key, value] : values) {
        std::string keyAnsi = ToAnsi(key);
        std::string valueAnsi = ToAnsi(safeValue(value));
        Position at = find(lines, sectionAnsi, keyAnsi);
        if (at.key) {
            // The key keeps the spelling it has in the file.
            lines[*at.key] = std::string(parse(lines[*at.key]).name) + "=" + valueAnsi;
        } else if (at.section) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at.lastInSection + 1),
                         keyAnsi + "=" + valueAnsi);
        } else {
            lines.push_back("[" + sectionAnsi + "]");
            lines.push_back(keyAnsi + "=" + valueAnsi);
        }
    }
}

}  // namespace

void WriteINI(std::string_view section, const IniValues& values,
              const std::filesystem::path& file) {
    WriteINI(IniSections{{std::string(section), values}}, file);
}

void WriteINI(const IniSections& sections, const std::filesystem::path& file) {
    std::string text;
    if (std::filesystem::exists(file))
        text = ReadFileBytes(file);  // unreadable: refuse to overwrite
    std::vector<std::string> lines;
    for (std::string_view l : splitLines(text)) lines.emplace_back(l);
    for (const auto& [section, values] : sections) setKeys(lines, section, values);
    std::string out;
    for (const auto& l : lines) out.append(l).append("\r\n");
    ReplaceFile(file, out);
}

void WriteINI(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file) {
    WriteINI(section, IniValues{{std::string(key), std::string(value)}}, file);
}

}  // namespace morvik
