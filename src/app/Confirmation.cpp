#include "app/Confirmation.h"

#include <atomic>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "gdt/RequestReader.h"
#include "gdt/RequestSearch.h"
#include "platform/Guid.h"

namespace morvik {

namespace fs = std::filesystem;

namespace {

std::atomic<StepHook> stepHook{nullptr};

const std::string_view kClaimEnding = ".claim";
const std::string_view kJournalEnding = ".journal";
const std::string_view kJournalHead = "Morvik-Journal 1";

bool isToken(std::string_view text) {
    if (text.size() != 32) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::string newToken() {
    static const char* hex = "0123456789abcdef";
    std::string token;
    for (unsigned char b : NewGuidBytes()) {
        token.push_back(hex[b >> 4]);
        token.push_back(hex[b & 15]);
    }
    return token;
}

// "A.GDT" taken: "A_2.GDT"; without an extension of three characters or more the number goes
// in front, so the last three characters, which make it a request, stay.
std::string numberedName(const std::string& name, int n) {
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0 && dot + 4 <= name.size()) {
        return name.substr(0, dot) + "_" + std::to_string(n) + name.substr(dot);
    }
    return std::to_string(n) + "_" + name;
}

}  // namespace

void SetStepHook(StepHook hook) noexcept {
    stepHook.store(hook);
}

void ReachedStep(ConfirmStep step) {
    if (StepHook hook = stepHook.load()) hook(step);
}

std::optional<ClaimName> ParseClaimName(std::string_view name) {
    if (name.ends_with('~')) name.remove_suffix(1);
    if (name.size() < 35 + kClaimEnding.size() || name[0] != '~' || name[33] != '~' ||
        !name.ends_with(kClaimEnding) || !isToken(name.substr(1, 32))) {
        return std::nullopt;
    }
    return ClaimName{std::string(name.substr(1, 32)),
                     std::string(name.substr(34, name.size() - 34 - kClaimEnding.size()))};
}

fs::path JournalPath(const fs::path& programFolder, std::string_view token) {
    return programFolder / ("~" + std::string(token) + std::string(kJournalEnding));
}

bool IsJournalName(std::string_view name) {
    return name.size() == 33 + kJournalEnding.size() && name[0] == '~' &&
           name.ends_with(kJournalEnding) && isToken(name.substr(1, 32));
}

fs::path GiveBackClaim(const fs::path& claim, const std::string& originalName) {
    for (int n = 1; n < 1000; ++n) {
        fs::path back = claim.parent_path() /
                        PathFromUtf8(n == 1 ? originalName : numberedName(originalName, n));
        switch (RenameNoReplace(claim, back)) {
            case RenameOutcome::Done:
                SyncFolder(claim.parent_path());
                return back;
            case RenameOutcome::SourceMissing:
                throw AppError(err::FileNotFound, Utf8Path(claim) + " ist verschwunden");
            case RenameOutcome::TargetExists:
                break;
        }
    }
    throw AppError(err::PathFileAccess, "Kein freier Name für " + originalName);
}

std::unique_ptr<RequestClaim> RequestClaim::Take(const fs::path& request, std::string_view suffix) {
    // A different file slipped in under the request's name between opening and renaming: it
    // goes straight back and the claim starts again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::unique_ptr<HeldFile> held;
        try {
            held = std::make_unique<HeldFile>(request);
        } catch (const AppError& e) {
            if (e.number() == err::FileNotFound || e.number() == err::NotRegularFile) {
                return nullptr;
            }
            throw;
        }
        if (!held->TryLock()) return nullptr;  // another copy is confirming it

        std::unique_ptr<RequestClaim> claim(new RequestClaim);
        claim->original_ = Utf8Path(request.filename());
        claim->token_ = newToken();
        std::string name = "~" + claim->token_ + "~" + claim->original_ + std::string(kClaimEnding);
        if (IsRequestName(name, suffix)) name += "~";
        claim->claim_ = request.parent_path() / PathFromUtf8(name);
        claim->state_ = State::Done;
        if (RenameNoReplace(request, claim->claim_) != RenameOutcome::Done) return nullptr;
        if (!held->IsAt(claim->claim_)) {
            GiveBackClaim(claim->claim_, claim->original_);
            continue;
        }
        claim->state_ = State::Held;
        claim->file_ = std::move(held);
        claim->bytes_ = claim->file_->ReadAll(kMaxRequestBytes);
        ReachedStep(ConfirmStep::Claimed);
        return claim;
    }
    return nullptr;
}

RequestClaim::~RequestClaim() {
    if (state_ != State::Held) return;
    try {
        GiveBackClaim(claim_, original_);
    } catch (...) {
        // The next start gives it back.
    }
}

fs::path RequestClaim::GiveBack() {
    state_ = State::Done;
    return GiveBackClaim(claim_, original_);
}

void RequestClaim::Delete() {
    DeleteFileForced(claim_);
    state_ = State::Done;
    SyncFolder(claim_.parent_path());
}

std::string Journal::Text() const {
    std::string text(kJournalHead);
    auto line = [&](std::string_view key, const std::string& value) {
        text.append("\n").append(key).append("=");
        for (char c : value) text.push_back(c == '\n' || c == '\r' ? ' ' : c);
    };
    line("claim", Utf8Path(claim));
    line("patient", patientId);
    line("name", patientName);
    line("born", patientBorn);
    for (const auto& [temporary, final] : files) {
        line("file", Utf8Path(temporary));
        line("to", Utf8Path(final));
    }
    text.append("\nend\n");
    return text;
}

Journal Journal::Parse(std::string_view text) {
    Journal journal;
    bool head = false, end = false;
    for (std::string_view line : SplitLines(text)) {
        if (!head) {
            head = line == kJournalHead;
            if (!head) break;
            continue;
        }
        if (line == "end") {
            end = true;
            break;
        }
        const std::size_t eq = line.find('=');
        const std::string_view key = line.substr(0, eq);
        const std::string value(eq == std::string_view::npos ? "" : line.substr(eq + 1));
        if (key == "claim") journal.claim = PathFromUtf8(value);
        if (key == "patient") journal.patientId = value;
        if (key == "name") journal.patientName = value;
        if (key == "born") journal.patientBorn = value;
        if (key == "file") journal.files.emplace_back(PathFromUtf8(value), fs::path());
        if (key == "to" && !journal.files.empty())
            journal.files.back().second = PathFromUtf8(value);
    }
    if (!end || journal.claim.empty()) {
        throw AppError(err::RecoveryFailed, "Journal ist unvollständig");
    }
    return journal;
}

}  // namespace morvik
