#pragma once

#include <string>

#include "base/AppError.h"

namespace morvik {

// Turns an errno value from a file operation into an AppError with a classic file error
// number; `what` says which operation on which file failed.
AppError FileError(int errnoValue, const std::string& what);

}  // namespace morvik
