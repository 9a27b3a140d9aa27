#include "diag/Trap.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/Errno.h"
#include "platform/FileSystem.h"

namespace morvik {

void LogCurrentException(ErrorLog& log, std::string_view procedure) noexcept {
    try {
        throw;
    } catch (const AppError& e) {
        log.LogError(procedure, e.Number(), e.what());
    } catch (const std::filesystem::filesystem_error& e) {
        AppError mapped = FileError(e.code(), Utf8Path(e.path1()));
        log.LogError(procedure, mapped.Number(), mapped.what());
    } catch (const std::system_error& e) {
        AppError mapped = FileError(e.code(), e.what());
        log.LogError(procedure, mapped.Number(), mapped.what());
    } catch (const std::bad_alloc&) {
        log.LogError(procedure, err::OutOfMemory, "Nicht genügend Speicher");
    } catch (const std::out_of_range& e) {
        log.LogError(procedure, err::OutOfRange, e.what());
    } catch (const std::exception& e) {
        log.LogError(procedure, err::InternalError, e.what());
    } catch (...) {
        log.LogError(procedure, err::InternalError, "Unbekannter Fehler");
    }
}

void LogSystemNotices(ErrorLog& log, std::string_view procedure) noexcept {
    if (std::optional<std::string> notice = TakeUnflushedFolderNotice()) {
        log.LogError(procedure, err::FolderNotFlushed, *notice);
    }
}

}  // namespace morvik
