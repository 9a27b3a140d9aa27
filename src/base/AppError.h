#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace morvik {

// A failure with the number and description that end up in the error log.
class AppError : public std::runtime_error {
  public:
    AppError(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    std::int32_t Number() const noexcept { return number_; }

  private:
    std::int32_t number_;
};

}  // namespace morvik
