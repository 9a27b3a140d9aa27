#include "app/WorklistCleanup.h"

#include <cstdint>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace fs = std::filesystem;

bool IsOwnWorklistItemName(std::string_view name) {
    constexpr std::string_view kEnding = ".wl";
    if (name.size() != 36 + kEnding.size() || !name.ends_with(kEnding)) return false;
    for (std::size_t i = 0; i < 36; ++i) {
        const char c = name[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (dash ? c != '-' : !hex) return false;
    }
    return true;
}

std::size_t RemoveOldWorklistItems(const fs::path& folder, int keepDays, ErrorLog& log) {
    std::size_t removed = 0;
    trap(log, trapname::MainWindowLoad, [&] {
        if (folder.empty() || keepDays < 0) return;
        const std::int64_t now = ShareNow(folder);
        const std::int64_t oldest = now - std::int64_t{keepDays} * 24 * 60 * 60;
        for (const FolderEntry& entry : ListEntries(folder)) {
            if (!entry.regular || !IsOwnWorklistItemName(entry.name)) continue;
            const fs::path item = folder / PathFromUtf8(entry.name);
            trap(log, trapname::MainWindowLoad, [&] {
                try {
                    if (LastWritten(item) >= oldest) return;
                } catch (const AppError& e) {
                    if (e.Number() == err::FileNotFound) return;  // another one was first
                    throw;
                }
                DeleteFileForced(item, true);
                ++removed;
            });
        }
    });
    return removed;
}

}  // namespace morvik
