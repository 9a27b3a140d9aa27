#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvik {

// A confirmation runs in steps so that a program killed, a call failing or the power going at
// any instant, on any of the workstations sharing the folders, leaves something every copy of
// the program that sees the request can settle (Recovery.h). Each step is durable (file and
// folder flushed) before the next one relies on it:
//   1. journal: "~<token>.journal" is created beside the request, locked (the lock reaches the
//      file server and goes with its holder) and its head written: workstation, program folder,
//      request and claim name, patient. File and folder are flushed, so a claim never exists
//      without a journal that says whose it is.
//   2. claim: the request is renamed to "~<token>~<name>.claim", which no request search takes;
//      the folder is flushed, so after a power cut the request cannot come back beside orders.
//   3. stage: every order file is written and flushed under a temporary name, then the target
//      folder, so that the journal never names a temporary that a power cut could take.
//   4. publish: the journal gets the temporary and final names, flushed. From here on the order
//      only goes forward.
//   5. rename: every order file gets its name; the target folder is flushed before the claim
//      goes, or a power cut could leave neither request nor orders.
//   6. the claim is deleted and the folder flushed, then the journal: a surviving journal is
//      completed once more (nothing left to do), a surviving claim never lacks its journal.
// A journal without its publishing record means the confirmation is taken back: the claim goes
// back under its request name. With it, the order is completed: every temporary still there
// gets its final name, and a missing one has it already (a temporary a journal names is never
// deleted while the journal stands). Every record ends in a check line, so a record that a
// power cut cut short counts as never written.
enum class ConfirmStep {
    Claimed,
    Staged,           // after each order file
    PublishRecorded,  // the journal holds the publishing record (step 4)
    Renamed,          // after each order file
    RequestDeleted,
    JournalRemoved,  // before its folder is flushed
    Finished,
    RecoveryRenamed,  // after each order file
    RecoveryRequestDeleted,
    RecoveryGivenBack,
};

// How long a journal stays its writer's after its last renewal, by the file server's clock. A
// copy on another workstation settles a journal only when its lock is free and it has not been
// renewed for this long: on a share whose locks do not reach the other workstations (NFS with
// nolock or local_lock, CIFS with nobrl, a NAS that ignores byte-range locks) a free lock says
// nothing. A live confirmation renews its journal at every step. Tests and the crash test set
// it; the program never does.
std::chrono::seconds JournalLease() noexcept;
void SetJournalLease(std::chrono::seconds lease) noexcept;

// Called at every step boundary. Only the crash test sets one, to stop the program there.
using StepHook = void (*)(ConfirmStep);
void SetStepHook(StepHook hook) noexcept;
void ReachedStep(ConfirmStep step);

// The claim name of a request: "~", 32 hex digits, "~", the request's name, ".claim" (with a
// "~" added in the odd case that this would end in the request suffix).
struct ClaimName {
    std::string token;
    std::string original;
};
std::string NewToken();
std::string ClaimFileName(std::string_view token, std::string_view original,
                          std::string_view suffix);
std::optional<ClaimName> ParseClaimName(std::string_view name);
// "~<token>.journal" (a "~" added when that would end in the suffix).
std::string JournalFileName(std::string_view token, std::string_view suffix);
// The token of a journal's name, or nullopt for another name.
std::optional<std::string> ParseJournalName(std::string_view name);

// Renames a claim back to its request name in its folder, or, when a new request took that
// name meanwhile, to a free name ending alike; never replaces anything. A claim that is a second
// name of a file still present elsewhere (a rename without replacing that was cut between its
// link and its unlink) is only removed. Flushes the folder. The name the request has now.
std::filesystem::path GiveBackClaim(const std::filesystem::path& claim,
                                    const std::string& originalName);

// What a journal says. The head is written before the claim; the publishing record (the
// files, as names in the target folder) before the first order file gets its name.
struct Journal {
    int version = 2;  // 1: an older program's journal in its program folder, full paths
    std::string workstation;
    std::string programFolder;
    std::string targetFolder;
    std::string request;  // the request's name
    std::string claim;    // the claim's name beside the journal (version 1: full path)
    std::string patientId;
    std::string patientName;
    std::string patientBorn;  // line "born", which older journals lack and older parsers pass over
    // Line "worklist": the folder of the order's worklist items, empty when it has none. Older
    // parsers pass over it and over the items' lines, and complete the order files alone.
    std::string worklistFolder;
    bool publishing = false;
    std::vector<std::pair<std::string, std::string>> files;  // temporary, final
    std::vector<std::pair<std::string, std::string>> items;  // worklist items: temporary, final

    std::string HeadText() const;
    std::string PublishText() const;
    // Throws AppError when not even the head is complete (a journal cut short before its claim
    // existed). A publishing record cut short is read as not written.
    static Journal Parse(std::string_view text);
};

}  // namespace morvik
