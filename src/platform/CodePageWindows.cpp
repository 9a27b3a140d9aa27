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

// `keepUndefined`: a byte the code page leaves undefined stands for the character of its own
// value (0x81 for U+0081), so that every byte survives the way into text and back.
SingleByteCodePage readCodePage(UINT codePage, bool keepUndefined) {
    SingleByteCodePage table;
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t wide = 0;
        table.toUnicode[b] =
            MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) == 1
                ? static_cast<char32_t>(wide)
                : kUndefined;
        if (table.toUnicode[b] == kUndefined && keepUndefined) table.toUnicode[b] = char32_t(b);
        if (table.toUnicode[b] != kUndefined) table.toByte.emplace(table.toUnicode[b], byte);
    }
    return table;
}

// DIN 66003 is ASCII with eight German letters in place of signs, a 7-bit code: bytes from 0x80
// on are not part of it. Written out here, since not every system has its code page (20106).
SingleByteCodePage din66003() {
    SingleByteCodePage table;
    table.toUnicode.fill(kUndefined);
    for (char32_t b = 0; b < 0x80; ++b) table.toUnicode[b] = b;
    const std::pair<char, char32_t> german[] = {{'@', U'§'}, {'[', U'Ä'}, {'\\', U'Ö'},
                                                {']', U'Ü'}, {'{', U'ä'}, {'|', U'ö'},
                                                {'}', U'ü'}, {'~', U'ß'}};
    for (const auto& [ascii, letter] : german)
        table.toUnicode[static_cast<unsigned char>(ascii)] = letter;
    return table;
}

const SingleByteCodePage& ansi() {
    static const SingleByteCodePage table = readCodePage(ansiCodePage(), true);
    return table;
}

const SingleByteCodePage& declared(Charset charset) {
    static const SingleByteCodePage din = din66003();
    static const SingleByteCodePage cp437 = readCodePage(437, false);
    static const SingleByteCodePage latin1 = readCodePage(28591, false);
    switch (charset) {
        case Charset::Din66003:
            return din;
        case Charset::Cp437:
            return cp437;
        default:
            return latin1;
    }
}

// A byte the code does not define shows as U+FFFD.
std::string toUtf8(std::string_view bytes, const SingleByteCodePage& table) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (unsigned char b : bytes) {
        const char32_t c = table.toUnicode[b];
        AppendUtf8(out, c != kUndefined ? c : U'\uFFFD');
    }
    return out;
}

}  // namespace

std::string ToAnsi(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
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
        const auto found = table.toByte.find(Utf8CodePoint(utf8, i, length));
        out.push_back(found != table.toByte.end() ? found->second : '?');
        i += length;
    }
    return out;
}

std::string FromAnsi(std::string_view ansiBytes) {
    if (IsAscii(ansiBytes)) return std::string(ansiBytes);
    return toUtf8(ansiBytes, ansi());
}

std::string ToUtf8(std::string_view bytes, Charset charset) {
    if (charset == Charset::Ansi) return FromAnsi(bytes);
    return toUtf8(bytes, declared(charset));
}

}  // namespace morvik
