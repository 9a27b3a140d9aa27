// Worklist items in a build without DCMTK: none can be encoded, and whoever would write one
// learns it before any order file is staged.
#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "worklist/WorklistItem.h"

namespace morvik {

bool WorklistAvailable() {
    return false;
}

std::string WorklistItemBytes(const WorklistItem&) {
    throw AppError(err::WorklistUnavailable,
                   "Die DICOM-Worklist ist in dieser Ausgabe des Programms nicht verfügbar");
}

}  // namespace morvik
