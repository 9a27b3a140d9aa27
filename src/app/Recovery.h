#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/OrderNotices.h"

namespace morvik {

class ErrorLog;

// Settles what killed programs and failed confirmations left behind, before the request search,
// whichever workstation or program folder they were made from. Every journal beside a claim in
// the source folder whose owner has gone (its lock is free) is settled: with its publishing
// record the order is completed (every temporary still there gets its final name, or is dropped
// when that name already holds the same file; the claim and the journal go), without it the
// claim goes back under its request name. A journal whose lock is held, or cannot be taken or
// tested, is left alone: its owner may be alive. An older program's journals in the program
// folder are completed as well, and a claim without any journal goes back. Then the program's
// own stale temporaries in the target and program folders are removed: those no running program
// holds and no journal names. Every step may be interrupted again; the next start goes on from
// there. Each settled order is logged under "Form_Load"; so is each failure, and the rest goes
// on. A journal's worklist items go into `worklistFolder` (this workstation's spelling of it),
// or the journal's own spelling where this one does not reach them.
std::vector<RecoveredOrder> RecoverConfirmations(const std::filesystem::path& programFolder,
                                                 const std::string& sourceFolder,
                                                 const std::string& targetFolder, ErrorLog& log,
                                                 const std::string& worklistFolder = {});

}  // namespace morvik
