#pragma once

#include <string>

#include "base/Clock.h"

namespace morvik::test {

// A clock that always reads the same German date and time.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(std::string date = "05.12.2026", std::string time = "14:03:07")
        : date_(std::move(date)), time_(std::move(time)) {}
    std::string date() override;
    std::string time() override;

  private:
    std::string date_;
    std::string time_;
};

}  // namespace morvik::test
