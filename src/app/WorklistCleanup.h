#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace morvik {

class ErrorLog;

// Whether a file name is one of the worklist items this program writes: the name of its order
// file with ".wl" for ".gdt" (a GUID, 8-4-4-4-12 hexadecimal digits). Other files in the
// worklist folder ("lockfile", items of other programs) are never touched.
bool IsOwnWorklistItemName(std::string_view name);

// Removes the program's worklist items that were written more than `keepDays` days ago by the
// clock of the server that keeps the folder (so a workstation whose clock is off removes nothing
// early). Several workstations may do this at once: an item another one removed first is no
// failure. A failure is logged under "Form_Load" and the rest goes on. Returns how many went.
std::size_t RemoveOldWorklistItems(const std::filesystem::path& folder, int keepDays,
                                   ErrorLog& log);

}  // namespace morvik
