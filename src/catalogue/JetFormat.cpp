// What needs no libmdb: telling a Jet file by its header and turning its stored texts into
// UTF-8. Built on every system, so a build without Jet support still recognises the file.
#include "base/Text.h"
#include "catalogue/JetTable.h"
#include "platform/CodePage.h"
#include "platform/ReadHead.h"

namespace morvik {

namespace {

// The header's first page: a page type, then the engine's name, then at 0x14 the version.
constexpr std::string_view JetMagic("\x00\x01\x00\x00Standard Jet DB\x00", 20);
constexpr std::string_view AceMagic("\x00\x01\x00\x00Standard ACE DB\x00", 20);
constexpr std::size_t VersionOffset = 0x14;
constexpr std::size_t HeaderBytes = 32;

}  // namespace

JetFormat JetFormatOfHeader(std::string_view head) {
    if (head.size() < HeaderBytes) return JetFormat::NotJet;
    const auto version = static_cast<unsigned char>(head[VersionOffset]);
    if (head.starts_with(JetMagic)) {
        if (version == 0) return JetFormat::Jet3;
        if (version == 1) return JetFormat::Jet4;
        return JetFormat::Ace;  // an .accdb renamed to .mdb says "Jet" with a later version
    }
    if (head.starts_with(AceMagic)) return JetFormat::Ace;
    return JetFormat::NotJet;
}

JetFormat JetFormatOfFile(const std::filesystem::path& file) {
    return JetFormatOfHeader(ReadFileHead(file, HeaderBytes));
}

std::string_view JetFormatName(JetFormat format) {
    switch (format) {
        case JetFormat::Jet3:
            return "Jet 3";
        case JetFormat::Jet4:
            return "Jet 4";
        case JetFormat::Ace:
            return "ACE";
        case JetFormat::NotJet:
            break;
    }
    return "kein Jet";
}

std::string JetTextToUtf8(std::string_view stored, JetFormat format) {
    if (format == JetFormat::Jet3) return FromAnsi(stored);
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(stored[i]); };
    std::string out;
    out.reserve(stored.size());
    // In the compressed form a 00 byte where a character starts switches between one byte per
    // character and two, in either direction; the form starts with one byte per character.
    const bool compressedForm = stored.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    bool compressed = compressedForm;
    std::size_t i = compressedForm ? 2 : 0;
    char16_t high = 0;  // a lead surrogate waiting for its trail
    while (i < stored.size()) {
        if (compressedForm && byte(i) == 0) {
            compressed = !compressed;
            ++i;
            continue;
        }
        char16_t unit = 0;
        if (compressed) {
            unit = byte(i++);
        } else {
            if (i + 1 >= stored.size()) break;  // half a character at the end
            unit = static_cast<char16_t>(byte(i) | (byte(i + 1) << 8));
            i += 2;
        }
        if (unit >= 0xD800 && unit < 0xDC00) {
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit < 0xE000 && high != 0) {
            AppendUtf8(out, 0x10000 + ((char32_t(high) - 0xD800) << 10) + (unit - 0xDC00));
        } else if (unit >= 0xD800 && unit < 0xE000) {
            AppendUtf8(out, 0xFFFD);  // a trail surrogate without its lead
        } else {
            if (high != 0) AppendUtf8(out, 0xFFFD);
            AppendUtf8(out, unit);
        }
        high = 0;
    }
    if (high != 0) AppendUtf8(out, 0xFFFD);
    return out;
}

}  // namespace morvik
