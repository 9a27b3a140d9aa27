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

}  // namespace morvik
