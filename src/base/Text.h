#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

// Text helpers every layer shares. Text in memory is UTF-8; names the system compares (settings
// keys, True/False) are ASCII.

// `s` without the given blank characters at either end (spaces and tabs unless told otherwise).
inline std::string_view TrimBlanks(std::string_view s, std::string_view blanks = " \t") {
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// ASCII letters compared without regard to case; every other byte must match exactly.
inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The lines of a text that ends its lines with LF (a CR before the LF is dropped too); a final
// line without LF counts, an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view text);

// A UTF-8 text as a label may show it: every control character (C0, DEL and C1) becomes a blank,
// so that no byte of a file can break, move or hide what the operator reads.
std::string ControlsAsBlanks(std::string utf8);

// Whether every byte is ASCII: such a text is the same in UTF-8 and in every code page here.
inline bool IsAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) return false;
    }
    return true;
}

// The length of the well-formed UTF-8 character starting at `at` (1 to 4), or 0 when the bytes
// there are no such character (a stray continuation byte, a sequence cut short, an overlong
// form, a surrogate, a code point past U+10FFFF).
std::size_t Utf8CharacterLength(std::string_view text, std::size_t at);

// The code point of the well-formed character of `length` bytes (from Utf8CharacterLength) at
// `at`, and a code point appended in UTF-8 (no surrogate, below U+110000).
char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length);
void AppendUtf8(std::string& out, char32_t codePoint);

// The offset of the first byte that is not part of a well-formed UTF-8 character, or npos.
std::size_t FirstInvalidUtf8(std::string_view text);

// The last `count` characters of a UTF-8 text (all of it when shorter). A byte that is no part of
// a well-formed character counts as one character.
std::string_view LastCharacters(std::string_view text, std::size_t count);

// Text in upper case, character by character, by Unicode's rules (ä becomes Ä; ß stays ß).
// Each character maps to exactly one character, so a prefix stays a prefix.
std::string UpperCase(std::string_view utf8);

// The order of names as a German reader expects it: case does not count, Ä, Ö and Ü stand beside
// A, O and U (after them when all else is equal), ß reads as ss. Less than, equal to or greater
// than zero, like strcmp. Malformed UTF-8 falls back to byte order, so the order stays total.
int CompareGerman(std::string_view a, std::string_view b);

#ifdef _WIN32
// UTF-8 and the UTF-16 of the Windows API. Malformed UTF-8 becomes U+FFFD, a lone surrogate
// likewise.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
#endif

}  // namespace morvik
