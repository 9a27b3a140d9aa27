#pragma once

#include <string>

#include "base/Clock.h"

namespace morvik::bench {

// A fixed clock, so that a benchmark's error log lines cost the same every run.
class BenchClock final : public Clock {
  public:
    std::string Date() override { return "05.12.2026"; }
    std::string Time() override { return "14:03:07"; }
};

}  // namespace morvik::bench
