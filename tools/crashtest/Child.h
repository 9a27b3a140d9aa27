#pragma once

#include <filesystem>
#include <string>

#include "app/Confirmation.h"

namespace morvik::crashtest {

// What one child process does: one start-up of the program in a program folder, a confirmation
// unless it only starts, and where it is to die, stop or see a call fail.
struct ChildPlan {
    std::filesystem::path program;
    bool confirm = false;
    ConfirmStep step = ConfirmStep::Finished;  // with `at`: killed (or stopped) there
    int at = 0;                                // occurrence of `step`; 0: never
    bool stopInstead = false;                  // stops itself at the step instead, to go on later
    int killAtCall = 0;                        // killed before this file call (1, 2, ...)
    int failCall = 0;                          // this file call fails once, with `failError`
    int failError = 0;
    bool forceFallback = false;      // renames without replacing refused, as on NFS or CIFS
    std::filesystem::path record;    // the power-cut record; empty: none kept
    std::filesystem::path messages;  // every line the operator is told, with the patient shown
    std::filesystem::path calls;     // the number of file calls, written at the end
    int stepDelayMicros = 0;         // up to this much at every step, as on a slow share
    unsigned seed = 1;
    std::string workstation;      // the workstation it plays ("PC-A")
    int leaseSeconds = -1;        // the journal lease; -1: the program's own
    int lockTest = 0;             // every test of another's lock answers this: 0 the real answer,
                                  // kLockNotSeen (locks that reach no other workstation), ENOLCK
    bool transientReads = false;  // the first read or look of each journal, claim and temporary
                                  // fails once with EIO
    int failAfterCall = 0;        // this file call is done, but reported failed with `failError`
};

// Bodies of 1 to 4 parts, by patient number.
int PartsFor(int patient);

[[noreturn]] void RunChild(const ChildPlan& plan);

// The plan as text and back, for a child started as a new program (Windows).
std::string PlanText(const ChildPlan& plan);
ChildPlan PlanFromText(const std::string& text);

}  // namespace morvik::crashtest
