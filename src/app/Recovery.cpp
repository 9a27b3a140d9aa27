#include "app/Recovery.h"

#include <optional>
#include <set>

#include "app/Confirmation.h"
#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "gdt/AccessionCounter.h"
#include "gdt/RequestReader.h"
#include "platform/FileSystem.h"
#include "platform/OwnedFile.h"

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
    std::string who = PatientDescription(order.patientId, order.patientName, order.patientBorn);
    if (!order.workstation.empty()) who += ", Arbeitsplatz " + order.workstation;
    return who;
}

// Gives a temporary its final name. One whose final name already holds it (a rename without
// replacing cut short) or the same bytes (an earlier start died after its rename) is dropped;
// a final name holding anything else stops the order, which is then left as it is.
void placeTemporary(const fs::path& temporary, const fs::path& final) {
    if (!present(temporary)) return;  // placed already (and perhaps taken by the imaging side)
    if (!present(final) && RenameNoReplace(temporary, final) != RenameOutcome::TargetExists) {
        ReachedStep(ConfirmStep::RecoveryRenamed);
        return;
    }
    if (!SameFile(temporary, final) && ReadFileBytes(temporary) != ReadFileBytes(final)) {
        throw AppError(err::RecoveryFailed,
                       Utf8Path(final) + " ist schon vorhanden, mit anderem Inhalt");
    }
    DeleteFileForced(temporary, true);
}

class Settler {
  public:
    Settler(const fs::path& program, const std::string& source, const std::string& target,
            ErrorLog& log)
        : program_(program),
          source_(PathFromUtf8(source)),
          target_(PathFromUtf8(target)),
          targetText_(target),
          log_(log) {}

    void journalBesideClaim(const std::string& name) {
        const fs::path file = source_ / PathFromUtf8(name);
        std::unique_ptr<OwnedFile> owned;
        switch (OwnedFile::TryTake(file, owned)) {
            case OwnedFile::Take::Gone:
                return;
            case OwnedFile::Take::Held:
                // Its owner may be alive: what it names stays.
                try {
                    noteNeeded(Journal::Parse(ReadFileBytes(file)));
                } catch (const AppError&) {
                }
                return;
            case OwnedFile::Take::Taken:
                break;
        }
        Journal journal;
        try {
            journal = Journal::Parse(owned->Read());
        } catch (const AppError&) {
            // No complete head: its owner died before it claimed anything.
            owned->Remove();
            FlushFolder(source_);
            return;
        }
        noteNeeded(journal);
        const fs::path claim = source_ / PathFromUtf8(journal.claim);
        RecoveredOrder order{journal.publishing,  journal.patientId,     journal.patientName,
                             journal.workstation, journal.programFolder, journal.patientBorn};
        if (journal.publishing) {
            complete(journal, claim);
        } else {
            if (!present(claim)) {
                // Never claimed, or given back already: nothing was ordered, nothing to say.
                owned->Remove();
                FlushFolder(source_);
                return;
            }
            nameFromClaim(claim, order);
            GiveBackClaim(claim, journal.request);
            ReachedStep(ConfirmStep::RecoveryGivenBack);
        }
        owned->Remove();
        FlushFolder(source_);
        settled(order);
    }

    // An older program's journal in its program folder: full paths, always publishing.
    void journalInProgramFolder(const std::string& name) {
        const fs::path file = program_ / PathFromUtf8(name);
        const Journal journal = Journal::Parse(ReadFileBytes(file));
        noteNeeded(journal);
        const fs::path claim = PathFromUtf8(journal.claim);
        if (present(claim)) {
            HeldFile held(claim);
            if (!held.TryLock()) return;  // its program still runs
        }
        complete(journal, claim);
        DeleteFileForced(file, true);
        FlushFolder(program_);
        settled(RecoveredOrder{true, journal.patientId, journal.patientName, "", "",
                               journal.patientBorn});
    }

    // A claim without a journal (an older program's): the staging was cut short.
    void claimWithoutJournal(const std::string& name, const ClaimName& parsed) {
        for (const std::string& journal :
             {"~" + parsed.token + ".journal", "~" + parsed.token + ".journal~"}) {
            if (present(source_ / PathFromUtf8(journal)) ||
                present(program_ / PathFromUtf8(journal))) {
                return;  // settled through its journal, now or by a later start
            }
        }
        const fs::path claim = source_ / PathFromUtf8(name);
        std::optional<HeldFile> held;
        try {
            held.emplace(claim);
        } catch (const AppError& e) {
            if (e.Number() == err::FileNotFound) return;  // settled meanwhile
            throw;
        }
        if (!held->TryLock()) return;
        RecoveredOrder order;
        nameFromClaim(claim, order);
        held.reset();
        GiveBackClaim(claim, parsed.original);
        ReachedStep(ConfirmStep::RecoveryGivenBack);
        settled(order);
    }

    void sweep() {
        std::set<fs::path> folders{program_};
        if (!target_.empty()) folders.insert(target_);
        trap(log_, trapname::MainWindowLoad,
             [&] { folders.insert(AccessionCounter::RealFolder(program_)); });
        for (const fs::path& folder : folders) {
            for (const FolderEntry& entry : entriesOf(folder)) {
                const fs::path file = folder / PathFromUtf8(entry.name);
                if (entry.regular && IsTemporaryName(entry.name) && !needed_.contains(file)) {
                    RemoveStaleTemporary(file);
                }
            }
        }
    }

    std::vector<RecoveredOrder> Settled() const { return settled_; }

  private:
    fs::path temporaryPath(const Journal& journal, const std::string& name) const {
        return journal.version == 1 ? PathFromUtf8(name) : target_ / PathFromUtf8(name);
    }

    void noteNeeded(const Journal& journal) {
        if (!journal.publishing) return;
        for (const auto& [temporary, final] : journal.files) {
            needed_.insert(temporaryPath(journal, temporary));
        }
    }

    void complete(const Journal& journal, const fs::path& claim) {
        if (journal.version == 2) {
            if (target_.empty()) throw AppError(err::RecoveryFailed, "Kein Zielordner eingestellt");
            // Another spelling of the target folder is the same folder only if it holds one of
            // the order's files; otherwise a missing temporary would pass for a placed one.
            bool seen = journal.targetFolder == targetText_;
            for (const auto& [temporary, final] : journal.files) {
                seen = seen || present(target_ / PathFromUtf8(temporary)) ||
                       present(target_ / PathFromUtf8(final));
            }
            if (!seen) {
                throw AppError(err::RecoveryFailed, "Der Auftrag liegt im Zielordner " +
                                                        journal.targetFolder +
                                                        ", der hier nicht eingestellt ist");
            }
        }
        std::set<fs::path> folders;
        for (const auto& [temporary, final] : journal.files) {
            const fs::path from = temporaryPath(journal, temporary);
            placeTemporary(
                from, journal.version == 1 ? PathFromUtf8(final) : target_ / PathFromUtf8(final));
            folders.insert(from.parent_path());
        }
        for (const fs::path& folder : folders) FlushFolder(folder);
        if (present(claim)) {
            DeleteFileForced(claim, true);
            FlushFolder(claim.parent_path());
            ReachedStep(ConfirmStep::RecoveryRequestDeleted);
        }
    }

    static void nameFromClaim(const fs::path& claim, RecoveredOrder& order) {
        try {
            const JournalPatient patient = PatientOf(ParseRequest(ReadFileBytes(claim)));
            order.patientId = patient.id;
            order.patientName = patient.name;
            order.patientBorn = patient.born;
        } catch (const AppError&) {
            // Unreadable: the journal's patient stands.
        }
    }

    void settled(const RecoveredOrder& order) {
        log_.LogError(
            trapname::MainWindowLoad, order.completed ? err::OrderCompleted : err::OrderRolledBack,
            std::string(order.completed ? "Unterbrochener Auftrag beim Start abgeschlossen: "
                                        : "Unterbrochener Auftrag beim Start zurückgenommen: ") +
                describe(order));
        settled_.push_back(order);
    }

    fs::path program_;
    fs::path source_;
    fs::path target_;
    std::string targetText_;
    ErrorLog& log_;
    std::set<fs::path> needed_;  // temporaries a journal still names
    std::vector<RecoveredOrder> settled_;
};

}  // namespace

std::vector<RecoveredOrder> RecoverConfirmations(const fs::path& programFolder,
                                                 const std::string& sourceFolder,
                                                 const std::string& targetFolder, ErrorLog& log) {
    Settler settler(programFolder, sourceFolder, targetFolder, log);
    const std::vector<FolderEntry> source = entriesOf(PathFromUtf8(sourceFolder));
    for (const FolderEntry& entry : source) {
        if (!entry.regular || !ParseJournalName(entry.name)) continue;
        trap(log, trapname::MainWindowLoad, [&] { settler.journalBesideClaim(entry.name); });
    }
    for (const FolderEntry& entry : entriesOf(programFolder)) {
        if (!entry.regular || !ParseJournalName(entry.name)) continue;
        trap(log, trapname::MainWindowLoad, [&] { settler.journalInProgramFolder(entry.name); });
    }
    for (const FolderEntry& entry : source) {
        const auto claim = ParseClaimName(entry.name);
        if (!claim || !entry.regular) continue;
        trap(log, trapname::MainWindowLoad,
             [&] { settler.claimWithoutJournal(entry.name, *claim); });
    }
    settler.sweep();
    return settler.Settled();
}

}  // namespace morvik
