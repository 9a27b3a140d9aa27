#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvik {

// Settings.ini behaves as the Windows profile functions treat it: a line ends at CR LF, LF or
// CR; section and key names match without regard to case (ASCII letters); blanks (space, tab,
// vertical tab, form feed, ^Z) around names and values are ignored; a section header needs its
// "]"; the first of two equal sections or keys counts, and a key line without "=" reads as
// missing; one pair of enclosing single or double quotes is removed from a value, and a value
// arrives cut to size - 1 characters. A missing file, section or key gives the default (without
// trailing spaces); a key that is present with an empty value gives the empty text. The file is
// single-byte ANSI text.
std::string ReadINI(std::string_view section, std::string_view key, std::string_view defaultValue,
                    const std::filesystem::path& file, int size = 256);

// The file read once, for many keys: Read gives what ReadINI would for each of them, as the file
// was when it was read. A file that cannot be read reads as missing.
class IniFileText {
  public:
    explicit IniFileText(const std::filesystem::path& file);
    // The lines point into the text.
    IniFileText(const IniFileText&) = delete;
    IniFileText& operator=(const IniFileText&) = delete;

    std::string Read(std::string_view section, std::string_view key, std::string_view defaultValue,
                     int size = 256) const;
    bool HasSection(std::string_view section) const;

  private:
    std::string text_;
    std::vector<std::string_view> lines_;
};

using IniValues = std::vector<std::pair<std::string, std::string>>;
using IniSections = std::vector<std::pair<std::string, IniValues>>;

// Writes keys of one section: a key that exists gets its new value where it stands, in the
// spelling the file has for it; a missing key is added after the last line of its section, a
// missing section at the end of the file, a missing file is created. Every other line keeps its
// bytes (line ends become CR LF). The file is replaced whole through a temporary, so a reader
// sees either the old or the new content; a linked file is written where the link points, its
// mode is kept, and a read-only file is not written at all (ReplaceFile).
// CR and LF in a value become blanks: typed text cannot add or change other keys.
// Throws AppError when the file cannot be written.
void WriteINI(std::string_view section, const IniValues& values, const std::filesystem::path& file);
// The same for the keys of several sections, in one replacement of the file.
void WriteINI(const IniSections& sections, const std::filesystem::path& file);

void WriteINI(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file);

}  // namespace morvik
