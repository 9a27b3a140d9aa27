// The clock on Windows: the user's own short date and long time format, as set in the control
// panel (Qt sets the C library's date format only on Unix, so %x would not be German here).
#include <windows.h>

#include "base/Text.h"
#include "platform/SystemClock.h"

namespace morvik {

std::string SystemClock::Date() {
    wchar_t buffer[128];
    const int n = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr,
                                  buffer, 128, nullptr);
    return n > 1 ? Utf8FromWide(std::wstring_view(buffer, static_cast<std::size_t>(n - 1))) : "";
}

std::string SystemClock::Time() {
    wchar_t buffer[128];
    const int n = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, nullptr, nullptr, buffer, 128);
    return n > 1 ? Utf8FromWide(std::wstring_view(buffer, static_cast<std::size_t>(n - 1))) : "";
}

LocalTime LocalTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace morvik
