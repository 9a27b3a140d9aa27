#include <windows.h>

#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "platform/Errno.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

std::int32_t classicNumber(unsigned long code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            return err::FileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
            return err::PathNotFound;
        // Another program holding the file open counts as permission denied, as it always has.
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return err::PermissionDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return err::DiskFull;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return err::OutOfMemory;
        default:
            return err::PathFileAccess;
    }
}

// The system's description of the code in the user's language.
std::string describe(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string description;
    if (n > 0 && text != nullptr) description = Utf8FromWide(std::wstring_view(text, n));
    if (text != nullptr) LocalFree(text);
    description = std::string(TrimBlanks(description, " \t\r\n."));
    if (description.empty()) description = "Windows-Fehler " + std::to_string(code);
    return description;
}

}  // namespace

AppError WindowsFileError(unsigned long code, const std::string& what) {
    return AppError(classicNumber(code), what + ": " + describe(code));
}

void ThrowLastFileError(const char* action, const std::filesystem::path& file) {
    const DWORD code = GetLastError();
    throw WindowsFileError(code, std::string(action) + " " + Utf8Path(file));
}

}  // namespace morvik
