// Case mapping with ICU, where the system offers no German rules of its own (Linux).
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

#include "base/Text.h"

namespace morvik {

std::string UpperCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const std::uint8_t*>(utf8.data());
    auto length = static_cast<std::int32_t>(utf8.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) c = 0xFFFD;
        UChar32 upper = u_toupper(c);
        char buffer[U8_MAX_LENGTH];
        std::int32_t n = 0;
        U8_APPEND_UNSAFE(reinterpret_cast<std::uint8_t*>(buffer), n, upper);
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

}  // namespace morvik
