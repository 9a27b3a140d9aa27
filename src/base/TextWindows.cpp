// Case mapping, German order and UTF-16 with the Windows API: the German rules come from the
// system's own "de-DE" tables, as Windows itself uses them.
#include <windows.h>

#include "base/Text.h"

namespace morvik {

std::wstring WideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string UpperCase(std::string_view utf8) {
    std::wstring wide = WideFromUtf8(utf8);
    if (wide.empty()) return {};
    // LCMAP_UPPERCASE maps each UTF-16 unit to one unit (ß stays ß), so a prefix stays a prefix.
    std::wstring upper(wide.size(), L'\0');
    const int n = LCMapStringEx(L"de-DE", LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING, wide.data(),
                                static_cast<int>(wide.size()), upper.data(),
                                static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (n <= 0) return Utf8FromWide(wide);
    upper.resize(static_cast<std::size_t>(n));
    return Utf8FromWide(upper);
}

int CompareGerman(std::string_view a, std::string_view b) {
    const std::wstring left = WideFromUtf8(a);
    const std::wstring right = WideFromUtf8(b);
    const int result =
        CompareStringEx(L"de-DE", NORM_IGNORECASE, left.data(), static_cast<int>(left.size()),
                        right.data(), static_cast<int>(right.size()), nullptr, nullptr, 0);
    if (result == 0) {
        const int bytes = a.compare(b);
        return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
    }
    return result - CSTR_EQUAL;
}

}  // namespace morvik
