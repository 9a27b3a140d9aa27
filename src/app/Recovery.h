#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace morvik {

class ErrorLog;

// One confirmation that a killed program had left half done, and how it was settled.
struct RecoveredOrder {
    bool completed = false;  // true: every order file placed, request gone; false: taken back
    std::string patientId;
    std::string patientName;
    std::string patientBorn;
};

// Settles what killed programs left behind, before the request search: a journal's order is
// completed (every final name that is still missing is given, the claim and the journal go);
// a claim without a journal goes back under its request name. A claim that a running copy
// still holds is left alone, and so is its journal. Then the program's own stale temporaries
// in the target and program folders are removed: those no running program holds and no
// journal still needs. Every step may be interrupted again; the next start goes on from there.
// Each settled order is logged under "Form_Load"; so is each failure, and the rest goes on.
std::vector<RecoveredOrder> RecoverConfirmations(const std::filesystem::path& programFolder,
                                                 const std::string& sourceFolder,
                                                 const std::string& targetFolder, ErrorLog& log);

// The German notice for the operator, one line per order; empty when there is nothing.
std::string RecoveryNotice(const std::vector<RecoveredOrder>& orders);

}  // namespace morvik
