#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "diag/ErrorLog.h"
#include "support/TempFolder.h"

namespace morvik::test {

// A clock that always reads the same German date and time.
class FixedClock final : public Clock {
  public:
    std::string Date() override { return "05.12.2026"; }
    std::string Time() override { return "14:03:07"; }
};

// A fresh program folder with its error log, as most tests need one.
struct ProgramFolder {
    TempFolder program;
    FixedClock clock;
    ErrorLog log{program.path(), clock};
};

// One line of the error log: its number and the text after it ("description - procedure").
struct LoggedError {
    std::int32_t number;
    std::string text;
    bool loggedUnder(const std::string& procedure) const {
        return text.ends_with(" - " + procedure);
    }
};
std::vector<LoggedError> LoggedErrors(const ErrorLog& log);

// The error log holds exactly one line per procedure given, in this order, each logged under it.
// No procedures: nothing was logged.
::testing::AssertionResult Logged(const ErrorLog& log, const std::vector<std::string>& procedures);

}  // namespace morvik::test
