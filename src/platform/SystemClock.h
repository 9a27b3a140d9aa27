#pragma once

#include "base/Clock.h"

namespace morvik {

// The local clock, formatted with the process's LC_TIME locale (short date, long time).
class SystemClock final : public Clock {
  public:
    std::string date() override;
    std::string time() override;
};

}  // namespace morvik
