#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace morvik {

class ErrorLog;

// Older installations keep the catalogue in a Jet database (Access). At start, before the
// catalogue list is filled, such a Bodypart.mdb is taken over once into the program's own
// catalogue file, in steps that leave Bodypart.mdb at every instant either the old Jet file or
// the complete new catalogue:
//   1. under the lock Bodypart.lck in the program folder (workstations sharing the folder take
//      turns; a later one finds the work done), tblBodypart is read whole and checked;
//   2. the new catalogue is written under a temporary name and flushed;
//   3. a copy of the old file is written, flushed and given the name "Bodypart.jet.mdb" (never
//      replacing a file: a different one there already makes it "Bodypart.jet.2.mdb", ...);
//      a copy already there from an attempt that was cut short is used as it is;
//   4. the new catalogue replaces Bodypart.mdb, and the folder is flushed.
// A start cut short anywhere leaves the Jet file in place, and the next start repeats the work.
// A temporary left behind is one of the program's own and is swept like the others.
struct CatalogueTakeOver {
    enum class Outcome {
        NothingToDo,  // Bodypart.mdb is no Jet file (or is missing: the catalogue says so)
        TakenOver,
        Refused,  // the Jet file stays as it was; `message` says why and what to do
    };
    Outcome outcome = Outcome::NothingToDo;
    std::size_t bodyParts = 0;
    std::filesystem::path kept;  // where the old file lies now
    std::string message;         // for the operator, in German
};

// Takes a Jet Bodypart.mdb in `programFolder` over. Logs what it did or why it could not under
// "Sub Main".
CatalogueTakeOver TakeOverJetCatalogue(const std::filesystem::path& programFolder, ErrorLog& log);

// The name the old Jet file is kept under.
inline constexpr const char* KeptJetCatalogueName = "Bodypart.jet.mdb";

}  // namespace morvik
