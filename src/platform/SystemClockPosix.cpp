// The clock on POSIX: the C library formats with the LC_TIME locale.
#include "platform/SystemClock.h"

#include <ctime>

namespace morvik {

namespace {

std::string formatNow(const char* pattern) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[64];
    std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
    return std::string(buffer, n);
}

}  // namespace

// %x and %X are the locale's short date and long time; under de_DE they read 05.12.2026 and
// 14:03:07. main() adopts the user's locale before anything is logged.
std::string SystemClock::Date() {
    return formatNow("%x");
}
std::string SystemClock::Time() {
    return formatNow("%X");
}

LocalTime LocalTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace morvik
