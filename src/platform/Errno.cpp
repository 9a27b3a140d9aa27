#include "platform/Errno.h"

#include <cerrno>
#include <cstring>

#include "base/ErrorNumbers.h"

namespace morvik {

AppError FileError(int e, const std::string& what) {
    std::int32_t number = err::PathFileAccess;
    switch (e) {
        case ENOENT:
            number = err::FileNotFound;
            break;
        case ENOTDIR:
            number = err::PathNotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            number = err::PermissionDenied;
            break;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            number = err::DiskFull;
            break;
        case ENOMEM:
            number = err::OutOfMemory;
            break;
        default:
            break;
    }
    return AppError(number, what + ": " + std::strerror(e));
}

AppError FileError(const std::error_code& code, const std::string& what) {
#ifdef _WIN32
    if (code.category() == std::system_category()) return WindowsFileError(code.value(), what);
#endif
    return FileError(code.value(), what);
}

}  // namespace morvik
