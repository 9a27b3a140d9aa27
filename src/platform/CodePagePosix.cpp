// Code pages on POSIX through iconv.
#include "platform/CodePage.h"

#include <iconv.h>
#include <cerrno>

#include <algorithm>
#include <stdexcept>

#include "base/Text.h"

namespace morvik {

namespace {

// One conversion descriptor per direction and thread; iconv_t is not thread-safe.
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

Converter& toAnsiConverter() {
    thread_local Converter c("WINDOWS-1252", "UTF-8");
    return c;
}

Converter& fromAnsiConverter() {
    thread_local Converter c("UTF-8", "WINDOWS-1252");
    return c;
}

// The declared character sets by iconv's names; ISO646-DE is DIN 66003.
Converter& toUtf8Converter(Charset charset) {
    thread_local Converter din("UTF-8", "ISO646-DE");
    thread_local Converter cp437("UTF-8", "IBM437");
    thread_local Converter latin1("UTF-8", "ISO-8859-1");
    switch (charset) {
        case Charset::Din66003:
            return din;
        case Charset::Cp437:
            return cp437;
        default:
            return latin1;
    }
}

}  // namespace

std::string ToAnsi(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    const char* in = utf8.data();
    std::size_t left = utf8.size();
    while (!toAnsiConverter().convert(in, left, out)) {
        // The five bytes Windows-1252 leaves undefined come back from FromAnsi as U+0081,
        // U+008D, U+008F, U+0090 and U+009D; give them their byte again so that a request
        // survives the round trip. Anything else the code page lacks becomes "?".
        auto lead = static_cast<unsigned char>(*in);
        // A byte that starts no well-formed character stands for itself alone.
        std::size_t len =
            std::max<std::size_t>(1, Utf8CharacterLength(std::string_view(in, left), 0));
        auto second = len == 2 ? static_cast<unsigned char>(in[1]) : 0;
        if (len == 2 && lead == 0xC2 && second >= 0x80 && second <= 0x9F) {
            out.push_back(static_cast<char>(second));
        } else {
            out.push_back('?');
        }
        in += len;
        left -= len;
    }
    return out;
}

std::string FromAnsi(std::string_view ansi) {
    if (IsAscii(ansi)) return std::string(ansi);
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 4);
    const char* in = ansi.data();
    std::size_t left = ansi.size();
    while (!fromAnsiConverter().convert(in, left, out)) {
        AppendUtf8(out, static_cast<unsigned char>(*in));
        ++in;
        --left;
    }
    return out;
}

std::string ToUtf8(std::string_view bytes, Charset charset) {
    if (charset == Charset::Ansi) return FromAnsi(bytes);
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
