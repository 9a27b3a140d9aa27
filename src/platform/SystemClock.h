#pragma once

#include "base/Clock.h"

namespace morvik {

// The local clock in the user's short date and long time format (the LC_TIME locale on POSIX,
// the user's regional settings on Windows).
class SystemClock final : public Clock {
  public:
    std::string Date() override;
    std::string Time() override;
};

// The local date and time as numbers (month and day from 1), for files that carry a moment in a
// fixed form rather than the user's.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalTime LocalTimeNow();

}  // namespace morvik
