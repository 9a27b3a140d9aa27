#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "base/AppError.h"

namespace morvik {

// Turns an errno value from a file operation into an AppError with a classic file error
// number; `what` says which operation on which file failed.
AppError FileError(int errnoValue, const std::string& what);

// The same for an error code from the standard library (std::filesystem). On Windows its system
// errors are the Windows error codes.
AppError FileError(const std::error_code& code, const std::string& what);

#ifdef _WIN32
// The same for a Windows error code (GetLastError), with the system's own description.
AppError WindowsFileError(unsigned long code, const std::string& what);
// Throws the last Windows error (GetLastError) for `action` ("Öffnen von") on `file`. The error
// is taken before the message is put together, which might set another.
[[noreturn]] void ThrowLastFileError(const char* action, const std::filesystem::path& file);
#endif

}  // namespace morvik
