#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace morvik {

// A confirmation runs in steps so that a program killed at any instant leaves something the
// next start can settle (Recovery.h):
//   1. claim: the request is renamed to a claim name that is no request name, locked;
//   2. stage: every order file is written and flushed under a temporary name;
//   3. journal: the claim and every temporary and final name, flushed, in the program folder;
//   4. publish: every order file gets its name, the claim is deleted, then the journal.
// A journal means the order is to be completed; a claim without one, that it is to be taken
// back.
enum class ConfirmStep {
    Claimed,
    Staged,  // after each order file
    Journaled,
    Renamed,  // after each order file
    RequestDeleted,
    Finished,
    RecoveryRenamed,  // after each order file
    RecoveryRequestDeleted,
    RecoveryGivenBack,
};

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
std::optional<ClaimName> ParseClaimName(std::string_view name);
std::filesystem::path JournalPath(const std::filesystem::path& programFolder,
                                  std::string_view token);
bool IsJournalName(std::string_view name);

// Renames a claim back to its request name in its folder, or, when a new request took that
// name meanwhile, to a free name ending alike; never replaces anything. The name it got.
std::filesystem::path GiveBackClaim(const std::filesystem::path& claim,
                                    const std::string& originalName);

// The request of one confirmation, out of reach of the request search of every copy of the
// program and of the practice system. A claim that is dropped while merely held goes back
// under its name; once journaled it stays for the order to be completed.
class RequestClaim {
  public:
    // Claims the request at `request`: opened without following a link, locked, renamed.
    // nullptr when it is gone: vanished, no plain file, or being confirmed by another copy.
    static std::unique_ptr<RequestClaim> Take(const std::filesystem::path& request,
                                              std::string_view suffix);
    ~RequestClaim();
    RequestClaim(const RequestClaim&) = delete;
    RequestClaim& operator=(const RequestClaim&) = delete;

    // The claimed file's bytes (at most kMaxRequestBytes; more throws FileTooLarge).
    const std::string& Bytes() const { return bytes_; }
    const std::filesystem::path& Path() const { return claim_; }
    const std::string& Token() const { return token_; }

    // Back under the request name (or a free one ending alike); returns that path.
    std::filesystem::path GiveBack();
    // The journal is written: from now on the claim is settled by completing the order.
    void Journaled() { state_ = State::Journaled; }
    // Every order file is in place: the claimed request goes.
    void Delete();

  private:
    enum class State { Held, Journaled, Done };
    RequestClaim() = default;

    std::unique_ptr<HeldFile> file_;
    std::filesystem::path claim_;
    std::string original_;
    std::string token_;
    std::string bytes_;
    State state_ = State::Held;
};

// What the next start needs to complete a confirmation.
struct Journal {
    std::filesystem::path claim;
    std::string patientId;
    std::string patientName;
    std::string patientBorn;  // line "born", which older journals lack and older parsers pass over
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> files;  // temp, final

    std::string Text() const;
    // Throws AppError when the text is no complete journal.
    static Journal Parse(std::string_view text);
};

}  // namespace morvik
