#include "app/Recovery.h"

#include <set>

#include "app/Confirmation.h"
#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "gdt/RequestReader.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace fs = std::filesystem;

namespace {

bool present(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The entries of a folder; a folder that cannot be listed has nothing to settle here (the
// request search reports it).
std::vector<FolderEntry> entriesOf(const fs::path& folder) {
    if (folder.empty()) return {};
    try {
        return ListEntries(folder);
    } catch (const AppError&) {
        return {};
    }
}

std::string describe(const RecoveredOrder& order) {
    return PatientDescription(order.patientId, order.patientName, order.patientBorn);
}

// Completes the order of one journal; false when a running copy still holds its claim.
bool complete(const fs::path& journalFile, const Journal& journal) {
    std::unique_ptr<HeldFile> claim;
    if (present(journal.claim)) {
        claim = std::make_unique<HeldFile>(journal.claim);
        if (!claim->TryLock()) return false;
    }
    std::set<fs::path> folders;
    for (const auto& [temporary, final] : journal.files) {
        if (!present(temporary)) continue;  // already has its name
        if (RenameNoReplace(temporary, final) == RenameOutcome::TargetExists) {
            throw AppError(err::RecoveryFailed, Utf8Path(final) + " ist schon vorhanden");
        }
        folders.insert(final.parent_path());
        ReachedStep(ConfirmStep::RecoveryRenamed);
    }
    for (const fs::path& folder : folders) SyncFolder(folder);
    if (claim) {
        DeleteFileForced(journal.claim, true);
        SyncFolder(journal.claim.parent_path());
        ReachedStep(ConfirmStep::RecoveryRequestDeleted);
    }
    DeleteFileForced(journalFile, true);
    SyncFolder(journalFile.parent_path());
    return true;
}

}  // namespace

std::vector<RecoveredOrder> RecoverConfirmations(const fs::path& programFolder,
                                                 const std::string& sourceFolder,
                                                 const std::string& targetFolder, ErrorLog& log) {
    std::vector<RecoveredOrder> settled;
    std::set<fs::path> needed;  // temporaries a journal still names

    // A journal: the order was staged completely, so it is completed.
    for (const FolderEntry& entry : entriesOf(programFolder)) {
        if (!IsJournalName(entry.name)) continue;
        const fs::path file = programFolder / PathFromUtf8(entry.name);
        Journal journal;
        trap(log, "Form_Load", [&] {
            journal = Journal::Parse(ReadFileBytes(file));
            for (const auto& pair : journal.files) needed.insert(pair.first);
            if (!complete(file, journal)) return;
            RecoveredOrder order{true, journal.patientId, journal.patientName, journal.patientBorn};
            log.LogError("Form_Load", err::OrderCompleted,
                         "Unterbrochener Auftrag beim Start abgeschlossen: " + describe(order));
            settled.push_back(order);
        });
    }

    // A claim without a journal: the staging was cut short, so the request goes back.
    for (const FolderEntry& entry : entriesOf(PathFromUtf8(sourceFolder))) {
        const auto name = ParseClaimName(entry.name);
        if (!name || !entry.regular) continue;
        const fs::path claimFile = JoinPath(sourceFolder, entry.name);
        trap(log, "Form_Load", [&] {
            if (present(JournalPath(programFolder, name->token))) return;  // held by its owner
            HeldFile claim(claimFile);
            if (!claim.TryLock()) return;
            // The owner may have journaled just before it died: that journal is for the next
            // start to complete.
            if (present(JournalPath(programFolder, name->token))) return;
            PatientRequest request;
            PatientCaptions captions;
            try {
                ApplyRequestText(claim.ReadAll(kMaxRequestBytes), request, captions);
            } catch (const AppError&) {
                // Too large or unreadable: it goes back all the same.
            }
            GiveBackClaim(claimFile, name->original);
            ReachedStep(ConfirmStep::RecoveryGivenBack);
            RecoveredOrder order{
                false, request.patientId,
                request.surname + (request.firstName.empty() ? "" : " ") + request.firstName,
                request.birthDate};
            log.LogError("Form_Load", err::OrderRolledBack,
                         "Unterbrochener Auftrag beim Start zurückgenommen: " + describe(order));
            settled.push_back(order);
        });
    }

    // The program's own temporaries that nobody holds and no journal needs.
    std::set<fs::path> folders{programFolder};
    if (!targetFolder.empty()) folders.insert(PathFromUtf8(targetFolder));
    trap(log, "Form_Load",
         [&] { folders.insert(FollowLinks(programFolder / "AccNum.dat").parent_path()); });
    for (const fs::path& folder : folders) {
        for (const FolderEntry& entry : entriesOf(folder)) {
            const fs::path file = folder / PathFromUtf8(entry.name);
            if (entry.regular && IsTemporaryName(entry.name) && !needed.contains(file)) {
                RemoveStaleTemporary(file);
            }
        }
    }
    return settled;
}

std::string RecoveryNotice(const std::vector<RecoveredOrder>& orders) {
    std::string notice;
    for (const RecoveredOrder& order : orders) {
        if (!notice.empty()) notice += "\n";
        if (order.completed) {
            notice += "Ein beim letzten Mal unterbrochener Auftrag für " + describe(order) +
                      " wurde jetzt vollständig angelegt; die Anforderung ist erledigt.";
        } else {
            notice += "Ein beim letzten Mal unterbrochener Auftrag für " + describe(order) +
                      " wurde zurückgenommen; es wurde nichts angelegt, die Anforderung liegt "
                      "wieder im Quellordner.";
        }
    }
    return notice;
}

}  // namespace morvik
