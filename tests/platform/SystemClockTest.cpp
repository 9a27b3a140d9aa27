#include "platform/SystemClock.h"

#include <gtest/gtest.h>

#include <clocale>
#include <regex>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace morvik {
namespace {

// Whether the user's date and time settings are German; on POSIX they are made so for the test
// when the machine has the locale.
bool germanUserSettings() {
#ifdef _WIN32
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return std::wstring(name) == L"de-DE";
#else
    return std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr;
#endif
}

// The error log is read by German support staff: on a German machine its date is day, month and
// year with dots and its time has 24 hours, on Windows as elsewhere.
TEST(SystemClock, GermanUserSettingsGiveAGermanDateAndTime) {
    if (!germanUserSettings()) GTEST_SKIP() << "this machine's user settings are not German";
    SystemClock clock;
    const std::string date = clock.Date();
    const std::string time = clock.Time();
#ifndef _WIN32
    std::setlocale(LC_TIME, "C");
#endif
    EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d{1,2}\.\d{1,2}\.\d{4})"))) << date;
    EXPECT_TRUE(std::regex_match(time, std::regex(R"(\d{2}:\d{2}:\d{2})"))) << time;
}

}  // namespace
}  // namespace morvik
