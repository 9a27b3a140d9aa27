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

}  // namespace morvik
