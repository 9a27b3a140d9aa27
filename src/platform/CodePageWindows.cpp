// Code pages on Windows. Each single-byte code page is read once, byte by byte, through
// MultiByteToWideChar; both directions then go through that table. Turning text back into bytes
// through the table, not through WideCharToMultiByte, keeps Windows' "best fit" out: Ł must
// become "?", not an L that changes a name.
#include <windows.h>

#include <array>
#include <map>

#include "base/Text.h"
#include "platform/CodePage.h"

namespace morvik {

namespace {

constexpr char32_t kUndefined = 0xFFFFFFFF;

struct SingleByteCodePage {
    std::array<char32_t, 256> toUnicode{};
    std::map<char32_t, char> toByte;
};

// The ANSI code page of this machine; Windows-1252 where it is not a single-byte one (a machine
// set to UTF-8 or to an East Asian code page), because the files are single-byte text.
UINT ansiCodePage() {
    const UINT acp = GetACP();
    CPINFO info{};
    if (GetCPInfo(acp, &info) && info.MaxCharSize == 1) return acp;
    return 1252;
}

// `highestByte`: the bytes above it are not part of the code. `keepUndefined`: a byte the code
// page leaves undefined stands for the character of its own value (0x81 for U+0081), so that
// every byte survives the way into text and back.
SingleByteCodePage readCodePage(UINT codePage, int highestByte, bool keepUndefined) {
    SingleByteCodePage table;
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t wide = 0;
        table.toUnicode[b] = b <= highestByte && MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                                                                     &byte, 1, &wide, 1) == 1
                                 ? static_cast<char32_t>(wide)
                                 : kUndefined;
        if (table.toUnicode[b] == kUndefined && keepUndefined) table.toUnicode[b] = char32_t(b);
        if (table.toUnicode[b] != kUndefined) table.toByte.emplace(table.toUnicode[b], byte);
    }
    return table;
}

const SingleByteCodePage& ansi() {
    static const SingleByteCodePage table = readCodePage(ansiCodePage(), 255, true);
    return table;
}

const SingleByteCodePage& declared(Charset charset) {
    // 20106 is DIN 66003 (IA5 German), a 7-bit code: bytes from 0x80 on are not part of it.
    static const SingleByteCodePage din = readCodePage(20106, 0x7F, false);
    static const SingleByteCodePage cp437 = readCodePage(437, 255, false);
    static const SingleByteCodePage latin1 = readCodePage(28591, 255, false);
    switch (charset) {
        case Charset::Din66003:
            return din;
        case Charset::Cp437:
            return cp437;
        default:
            return latin1;
    }
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char32_t decode(std::string_view utf8, std::size_t at, std::size_t length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[at + k]); };
    static constexpr unsigned leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = byte(0) & leadBits[length];
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (byte(k) & 0x3F);
    return c;
}

bool isAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) return false;
    }
    return true;
}

// A byte the code does not define shows as U+FFFD.
std::string toUtf8(std::string_view bytes, const SingleByteCodePage& table) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (unsigned char b : bytes) {
        const char32_t c = table.toUnicode[b];
        appendUtf8(out, c != kUndefined ? c : U'\uFFFD');
    }
    return out;
}

}  // namespace

std::string ToAnsi(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    const SingleByteCodePage& table = ansi();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, i);
        if (length == 0) {  // a byte that starts no well-formed character stands alone
            out.push_back('?');
            ++i;
            continue;
        }
        const auto found = table.toByte.find(decode(utf8, i, length));
        out.push_back(found != table.toByte.end() ? found->second : '?');
        i += length;
    }
    return out;
}

std::string FromAnsi(std::string_view ansiBytes) {
    if (isAscii(ansiBytes)) return std::string(ansiBytes);
    return toUtf8(ansiBytes, ansi());
}

std::string ToUtf8(std::string_view bytes, Charset charset) {
    if (charset == Charset::Ansi) return FromAnsi(bytes);
    return toUtf8(bytes, declared(charset));
}

}  // namespace morvik
