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
        case EDQUOT:
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

}  // namespace morvik
