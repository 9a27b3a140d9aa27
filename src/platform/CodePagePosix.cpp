// Code pages on POSIX: Windows-1252 both ways and ISO 8859-1 to UTF-8 by hand, everything else
// through iconv.
#include "platform/CodePage.h"

#include <iconv.h>
#include <cerrno>

#include <algorithm>
#include <stdexcept>

#include "base/Text.h"

namespace morvik {

namespace {

// One conversion descriptor per character set and thread; iconv_t is not thread-safe.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false at the first sequence it cannot convert,
    // with in/inLeft pointing at it.
    bool convert(const char*& in, std::size_t& inLeft, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, sizeof buffer - outLeft);
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                return false;
            }
        }
        return true;
    }

  private:
    iconv_t cd_;
};

// The declared character sets that need a table of iconv's; ISO646-DE is DIN 66003.
Converter& toUtf8Converter(Charset charset) {
    thread_local Converter din("UTF-8", "ISO646-DE");
    thread_local Converter cp437("UTF-8", "IBM437");
    return charset == Charset::Din66003 ? din : cp437;
}

// Single-byte text to UTF-8 without iconv: bytes below 80 and from A0 on are their own code
// points in both Windows-1252 and ISO 8859-1; `high` gives 80 to 9F.
std::string decodeSingleByte(std::string_view bytes, const char16_t (&high)[32]) {
    if (IsAscii(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80) {
            out.push_back(byte);
        } else {
            AppendUtf8(out, b < 0xA0 ? high[b - 0x80] : char32_t{b});
        }
    }
    return out;
}

// Windows-1252 from 80 to 9F. The five bytes it leaves undefined stand for themselves (U+0081,
// U+008D, U+008F, U+0090, U+009D), as on Windows, so that ToAnsi gives them back.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// ISO 8859-1 from 80 to 9F: the C1 controls, each its own code point.
constexpr char16_t kLatin1High[32] = {
    0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F};

// The character's byte in Windows-1252, or "?". The C1 controls U+0080 to U+009F keep their
// number: FromAnsi gives the five bytes the code page leaves undefined back as U+0081, U+008D,
// U+008F, U+0090 and U+009D, and a request must survive the round trip.
char windows1252Byte(char32_t c) {
    if (c < 0x100) return static_cast<char>(c);
    const auto* found = std::find(std::begin(kWindows1252High), std::end(kWindows1252High), c);
    return found == std::end(kWindows1252High)
               ? '?'
               : static_cast<char>(0x80 + (found - std::begin(kWindows1252High)));
}

}  // namespace

// By hand rather than through iconv, like FromAnsi: iconv would load its Windows-1252 module at
// every start (the default modality captions are not ASCII).
std::string ToAnsi(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        if (length == 0) {
            out.push_back('?');  // a byte that starts no well-formed character stands alone
            ++at;
            continue;
        }
        out.push_back(windows1252Byte(Utf8CodePoint(utf8, at, length)));
        at += length;
    }
    return out;
}

std::string FromAnsi(std::string_view ansi) {
    return decodeSingleByte(ansi, kWindows1252High);
}

std::string ToUtf8(std::string_view bytes, Charset charset) {
    if (charset == Charset::Ansi) return FromAnsi(bytes);
    if (charset == Charset::Latin1) return decodeSingleByte(bytes, kLatin1High);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    Converter& converter = toUtf8Converter(charset);
    while (!converter.convert(in, left, out)) {
        out += "\xEF\xBF\xBD";  // U+FFFD
        ++in;
        --left;
    }
    return out;
}

}  // namespace morvik
