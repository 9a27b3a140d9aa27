#include "base/Text.h"

#include <cstdint>

namespace morvik {

std::size_t Utf8CharacterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned code = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

std::string ControlsAsBlanks(std::string utf8) {
    // Rewritten in place: what is shown is never longer than what was written.
    std::size_t out = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
        if (c < 0x20 || c == 0x7F) {
            utf8[out++] = ' ';
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080 to U+009F
            utf8[out++] = ' ';
            ++i;
        } else {
            utf8[out++] = utf8[i];
        }
    }
    utf8.resize(out);
    return utf8;
}

char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length) {
    static constexpr unsigned leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = static_cast<unsigned char>(text[at]) & leadBits[length];
    for (std::size_t k = 1; k < length; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3Fu);
    }
    return code;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string_view LastCharacters(std::string_view text, std::size_t count) {
    std::size_t i = text.size();
    for (std::size_t n = 0; n < count && i > 0; ++n) {
        // Back over up to three continuation bytes to a lead byte; if that lead and its
        // continuations are not one well-formed character, the last byte counts alone.
        std::size_t start = i - 1;
        while (start > 0 && i - start < 4 &&
               (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            --start;
        i = Utf8CharacterLength(text, start) == i - start ? start : i - 1;
    }
    return text.substr(i);
}

std::size_t FirstInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8CharacterLength(text, i);
        if (length == 0) return i;
        i += length;
    }
    return std::string_view::npos;
}

}  // namespace morvik
