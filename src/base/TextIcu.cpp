// Case mapping and German order with ICU, where the system offers no German rules of its own
// (Linux).
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <memory>

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

namespace {

struct CloseCollator {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};

// One collator per thread: a collator may not be used by two threads at once.
UCollator* germanCollator() {
    thread_local const std::unique_ptr<UCollator, CloseCollator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* opened = ucol_open("de", &status);
        if (U_FAILURE(status)) return std::unique_ptr<UCollator, CloseCollator>();
        // Secondary strength: accents count (Ä after A, before B), case does not.
        ucol_setStrength(opened, UCOL_SECONDARY);
        return std::unique_ptr<UCollator, CloseCollator>(opened);
    }();
    return collator.get();
}

int compareBytes(std::string_view a, std::string_view b) {
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

}  // namespace

int CompareGerman(std::string_view a, std::string_view b) {
    UCollator* collator = germanCollator();
    if (collator == nullptr) return compareBytes(a, b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(collator, a.data(), static_cast<std::int32_t>(a.size()), b.data(),
                         static_cast<std::int32_t>(b.size()), &status);
    return U_FAILURE(status) ? compareBytes(a, b) : static_cast<int>(result);
}

}  // namespace morvik
