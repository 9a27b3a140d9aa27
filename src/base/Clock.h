#pragma once

#include <string>

namespace morvik {

// Where the error log gets its date and time. Date and time are read separately, date first,
// each already in the user's regional form (05.12.2026 and 14:03:07 on a German system).
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::string Date() = 0;
    virtual std::string Time() = 0;
};

}  // namespace morvik
