#include "app/Confirmation.h"

#include <atomic>
#include <cstdint>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "gdt/RequestSearch.h"
#include "platform/FileSystem.h"
#include "platform/Guid.h"

namespace morvik {

namespace fs = std::filesystem;

namespace {

std::atomic<StepHook> stepHook{nullptr};
std::atomic<std::int64_t> leaseSeconds{60};

const std::string_view kClaimEnding = ".claim";
const std::string_view kJournalEnding = ".journal";
const std::string_view kHeadV1 = "Morvik-Journal 1";
const std::string_view kHeadV2 = "Morvik-Journal 2";

bool isToken(std::string_view text) {
    if (text.size() != 32) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
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

// FNV-1a: enough to tell a record a power cut cut short from a whole one.
std::string checkOf(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    static const char* hex = "0123456789abcdef";
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4) text.push_back(hex[(h >> shift) & 15]);
    return text;
}

void addLine(std::string& text, std::string_view key, std::string_view value) {
    text.append(key).append("=");
    for (char c : value) text.push_back(c == '\n' || c == '\r' ? ' ' : c);
    text.append("\n");
}

void sealRecord(std::string& text, std::string_view key) {
    addLine(text, key, checkOf(text));
}

Journal parseV1(std::string_view text) {
    Journal journal;
    journal.version = 1;
    journal.publishing = true;
    bool end = false;
    for (std::string_view line : SplitLines(text)) {
        if (line == "end") {
            end = true;
            break;
        }
        const std::size_t eq = line.find('=');
        const std::string_view key = line.substr(0, eq);
        const std::string value(eq == std::string_view::npos ? "" : line.substr(eq + 1));
        if (key == "claim") journal.claim = value;
        if (key == "patient") journal.patientId = value;
        if (key == "name") journal.patientName = value;
        if (key == "born") journal.patientBorn = value;
        if (key == "file") journal.files.emplace_back(value, std::string());
        if (key == "to" && !journal.files.empty()) journal.files.back().second = value;
    }
    if (!end || journal.claim.empty()) {
        throw AppError(err::RecoveryFailed, "Journal ist unvollständig");
    }
    return journal;
}

}  // namespace

std::chrono::seconds JournalLease() noexcept {
    return std::chrono::seconds(leaseSeconds.load());
}

void SetJournalLease(std::chrono::seconds lease) noexcept {
    leaseSeconds.store(lease.count());
}

void SetStepHook(StepHook hook) noexcept {
    stepHook.store(hook);
}

void ReachedStep(ConfirmStep step) {
    if (StepHook hook = stepHook.load()) hook(step);
}

std::string NewToken() {
    static const char* hex = "0123456789abcdef";
    std::string token;
    for (unsigned char b : NewGuidBytes()) {
        token.push_back(hex[b >> 4]);
        token.push_back(hex[b & 15]);
    }
    return token;
}

std::string ClaimFileName(std::string_view token, std::string_view original,
                          std::string_view suffix) {
    std::string name =
        "~" + std::string(token) + "~" + std::string(original) + std::string(kClaimEnding);
    if (IsRequestName(name, suffix)) name += "~";
    return name;
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

std::string JournalFileName(std::string_view token, std::string_view suffix) {
    std::string name = "~" + std::string(token) + std::string(kJournalEnding);
    if (IsRequestName(name, suffix)) name += "~";
    return name;
}

std::optional<std::string> ParseJournalName(std::string_view name) {
    if (name.ends_with('~')) name.remove_suffix(1);
    if (name.size() != 33 + kJournalEnding.size() || name[0] != '~' ||
        !name.ends_with(kJournalEnding) || !isToken(name.substr(1, 32))) {
        return std::nullopt;
    }
    return std::string(name.substr(1, 32));
}

fs::path GiveBackClaim(const fs::path& claim, const std::string& originalName) {
    const fs::path request = claim.parent_path() / PathFromUtf8(originalName);
    if (LinkCount(claim) > 1) {
        // The file still has another name: the request's own, or another copy's claim.
        DeleteFileForced(claim, true);
        FlushFolder(claim.parent_path());
        return request;
    }
    for (int n = 1; n < 1000; ++n) {
        fs::path back =
            n == 1 ? request : claim.parent_path() / PathFromUtf8(numberedName(originalName, n));
        switch (RenameExclusively(claim, back)) {
            case RenameOutcome::Done:
                FlushFolder(claim.parent_path());
                return back;
            case RenameOutcome::SourceMissing:
                throw AppError(err::FileNotFound, Utf8Path(claim) + " ist verschwunden");
            case RenameOutcome::TargetExists:
                break;
        }
    }
    throw AppError(err::PathFileAccess, "Kein freier Name für " + originalName);
}

std::string Journal::HeadText() const {
    std::string text(kHeadV2);
    text.append("\n");
    addLine(text, "workstation", workstation);
    addLine(text, "program", programFolder);
    addLine(text, "target", targetFolder);
    addLine(text, "request", request);
    addLine(text, "claim", claim);
    addLine(text, "patient", patientId);
    addLine(text, "name", patientName);
    addLine(text, "born", patientBorn);
    if (!worklistFolder.empty()) addLine(text, "worklist", worklistFolder);
    sealRecord(text, "head");
    return text;
}

std::string Journal::PublishText() const {
    std::string text;
    for (const auto& [temporary, final] : files) {
        addLine(text, "file", temporary);
        addLine(text, "to", final);
    }
    for (const auto& [temporary, final] : items) {
        addLine(text, "item", temporary);
        addLine(text, "as", final);
    }
    sealRecord(text, "publish");
    return text;
}

Journal Journal::Parse(std::string_view text) {
    if (text.starts_with(kHeadV1)) return parseV1(text);
    if (!text.starts_with(kHeadV2))
        throw AppError(err::RecoveryFailed, "Journal ist unvollständig");
    Journal journal;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::pair<std::string, std::string>> items;
    bool head = false;
    std::size_t record = 0;  // where the record being read began
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) break;  // a line cut short
        const std::string_view line = text.substr(at, end - at);
        const std::size_t eq = line.find('=');
        const std::string_view key = line.substr(0, eq);
        const std::string value(eq == std::string_view::npos ? "" : line.substr(eq + 1));
        if (key == "head" || key == "publish") {
            if (value != checkOf(text.substr(record, at - record)) || (key == "head") == head) {
                break;
            }
            if (key == "head") head = true;
            if (key == "publish") {
                journal.publishing = true;
                journal.files = files;
                journal.items = items;
                break;
            }
            record = end + 1;
        } else if (!head) {
            if (key == "workstation") journal.workstation = value;
            if (key == "program") journal.programFolder = value;
            if (key == "target") journal.targetFolder = value;
            if (key == "request") journal.request = value;
            if (key == "claim") journal.claim = value;
            if (key == "patient") journal.patientId = value;
            if (key == "name") journal.patientName = value;
            if (key == "born") journal.patientBorn = value;
            if (key == "worklist") journal.worklistFolder = value;
        } else {
            if (key == "file") files.emplace_back(value, std::string());
            if (key == "to" && !files.empty()) files.back().second = value;
            if (key == "item") items.emplace_back(value, std::string());
            if (key == "as" && !items.empty()) items.back().second = value;
        }
        at = end + 1;
    }
    if (!head || journal.claim.empty()) {
        throw AppError(err::RecoveryFailed, "Journal ist unvollständig");
    }
    return journal;
}

}  // namespace morvik
