#include "app/Recovery.h"

#include <map>
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

// What support staff find recovery's entries under in the log.
const char* const kRecoveryProcedure = trapname::MainWindowLoad;

// The entries of a folder; nullopt when it cannot be listed: nothing is settled there now (the
// request search reports it), and nothing that a journal there might name is swept.
std::optional<std::vector<FolderEntry>> entriesOf(const fs::path& folder) {
    if (folder.empty()) return std::vector<FolderEntry>{};
    try {
        return ListEntries(folder);
    } catch (const AppError&) {
        return std::nullopt;
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
// False when there was nothing to do: the file had its name already.
bool placeTemporary(const fs::path& temporary, const fs::path& final) {
    // Placed already (and perhaps taken by the imaging side): a temporary a journal names is
    // never deleted while the journal stands. Only "not found" says so; a look that failed
    // throws, and the journal stays for a later start.
    if (!Exists(temporary)) return false;
    if (!Exists(final) && RenameNoReplace(temporary, final) != RenameOutcome::TargetExists) {
        ReachedStep(ConfirmStep::RecoveryRenamed);
        return true;
    }
    if (!SameFile(temporary, final) && ReadFileBytes(temporary) != ReadFileBytes(final)) {
        throw AppError(err::RecoveryFailed,
                       Utf8Path(final) + " ist schon vorhanden, mit anderem Inhalt");
    }
    DeleteFileForced(temporary, true);
    return true;
}

class Settler {
  public:
    Settler(const fs::path& program, const std::string& source, const std::string& target,
            const std::string& worklist, ErrorLog& log)
        : program_(program),
          source_(PathFromUtf8(source)),
          target_(PathFromUtf8(target)),
          targetText_(target),
          worklist_(PathFromUtf8(worklist)),
          worklistText_(worklist),
          log_(log) {}

    void journalBesideClaim(const std::string& name) {
        const fs::path file = source_ / PathFromUtf8(name);
        std::unique_ptr<OwnedFile> owned;
        switch (OwnedFile::TryTake(file, owned)) {
            case OwnedFile::Take::Gone:
                return;
            case OwnedFile::Take::Held:
                leaveAlone(file, nullptr);  // its owner may be alive
                return;
            case OwnedFile::Take::Taken:
                break;
        }
        if (!owned->Locked()) lockUntestable();
        // A journal that cannot be read stays, with everything it may name, for a later start:
        // it is never taken for an empty or torn one.
        std::string text;
        try {
            text = owned->Read();
        } catch (const AppError&) {
            unknownTemporaries_ = true;
            throw;
        }
        std::optional<Journal> parsed;
        try {
            parsed = Journal::Parse(text);
        } catch (const AppError&) {
        }
        if (!ownerGone(parsed, *owned)) {
            leaveAlone(file, owned.get());
            return;
        }
        if (!parsed) {
            // No complete head: its owner died before it claimed anything, or a power cut took
            // the head, which reaches the disk only with the publishing record. A claim it may
            // have goes back below, as a claim without a journal.
            owned->Remove();
            FlushFolder(source_);
            return;
        }
        const Journal& journal = *parsed;
        noteNeeded(journal);
        const fs::path claim = source_ / PathFromUtf8(journal.claim);
        RecoveredOrder order{journal.publishing,  journal.patientId,     journal.patientName,
                             journal.workstation, journal.programFolder, journal.patientBorn};
        if (journal.publishing) {
            order.wasComplete = !complete(journal, claim);
        } else {
            if (!Exists(claim)) {
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
        if (Exists(claim)) {
            HeldFile held(claim);
            if (!held.TryLock()) return;  // its program still runs
        }
        RecoveredOrder order{true, journal.patientId,  journal.patientName, "",
                             "",   journal.patientBorn};
        order.wasComplete = !complete(journal, claim);
        DeleteFileForced(file, true);
        FlushFolder(program_);
        settled(order);
    }

    // A claim without a journal (an older program's): the staging was cut short.
    void claimWithoutJournal(const std::string& name, const ClaimName& parsed) {
        for (const std::string& journal :
             {"~" + parsed.token + ".journal", "~" + parsed.token + ".journal~"}) {
            if (Exists(source_ / PathFromUtf8(journal)) ||
                Exists(program_ / PathFromUtf8(journal))) {
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

    // `listed`: the source folder could be listed, so every journal in it was seen. Otherwise,
    // or when a journal could not be read, nothing is swept: an unknown journal may name any
    // temporary. (The request search reports a folder that cannot be listed.)
    void sweep(bool listed) {
        if (!listed) return;
        if (unknownTemporaries_) {
            log_.LogError(kRecoveryProcedure, err::RecoveryFailed,
                          "Temporäre Dateien nicht aufgeräumt: nicht jedes Journal in " +
                              Utf8Path(source_) + " ließ sich lesen");
            return;
        }
        std::set<fs::path> folders{program_};
        if (!target_.empty()) folders.insert(target_);
        if (!worklist_.empty()) folders.insert(worklist_);
        folders.insert(worklistFolders_.begin(), worklistFolders_.end());
        if (!source_.empty()) folders.insert(source_);  // a clock probe cut short
        trap(log_, kRecoveryProcedure,
             [&] { folders.insert(AccessionCounter::RealFolder(program_)); });
        for (const fs::path& folder : folders) {
            for (const FolderEntry& entry :
                 entriesOf(folder).value_or(std::vector<FolderEntry>{})) {
                const fs::path file = folder / PathFromUtf8(entry.name);
                if (entry.regular && IsTemporaryName(entry.name) && !needed_.contains(file) &&
                    !neededItems_.contains(entry.name) && leaseRanOut(file, folder)) {
                    RemoveStaleTemporary(file);
                }
            }
        }
    }

    std::vector<RecoveredOrder> Settled() const { return settled_; }

  private:
    // Whether the copy that wrote a journal is gone. Its lock must be free; on a share whose locks
    // reach no other workstation a free lock says nothing, so a journal of another workstation
    // must also not have been renewed for the lease. The lock alone suffices for this
    // workstation's own journals: locks always reach the programs of one machine.
    bool ownerGone(const std::optional<Journal>& journal, const OwnedFile& owned) {
        if (owned.Locked() && journal && journal->workstation == WorkstationName()) return true;
        return leaseRanOut(owned.LastWrite(), source_);
    }

    bool leaseRanOut(std::int64_t lastWrite, const fs::path& folder) {
        const std::int64_t lease = JournalLease().count();
        return lease <= 0 || shareNow(folder) - lastWrite >= lease;
    }

    // A temporary whose lock is free is left while a confirmation may still be writing it: on a
    // share whose locks reach no other workstation its free lock says nothing. That can only be
    // while some journal was left alone.
    bool leaseRanOut(const fs::path& temporary, const fs::path& folder) {
        if (JournalLease().count() <= 0 || !leftAlone_) return true;
        try {
            return leaseRanOut(LastWritten(temporary), folder);
        } catch (const AppError&) {
            return false;  // gone meanwhile, or no answer: left for a later start
        }
    }

    std::int64_t shareNow(const fs::path& folder) {
        auto it = clocks_.find(folder);
        if (it == clocks_.end()) it = clocks_.emplace(folder, ShareNow(folder)).first;
        return it->second;
    }

    // A journal whose owner may be alive: what it names stays. Should it not be readable, nothing
    // is swept at all, since it may name any temporary.
    void leaveAlone(const fs::path& file, const OwnedFile* owned) {
        leftAlone_ = true;
        try {
            noteNeeded(Journal::Parse(owned ? owned->Read() : ReadFileBytes(file)));
        } catch (const AppError& e) {
            // No complete head yet: nothing named. Gone meanwhile: its owner finished.
            if (e.Number() != err::RecoveryFailed && e.Number() != err::FileNotFound) {
                unknownTemporaries_ = true;
            }
        }
    }

    void lockUntestable() {
        if (lockUntestableLogged_) return;
        lockUntestableLogged_ = true;
        log_.LogError(kRecoveryProcedure, err::RecoveryFailed,
                      "Sperren lassen sich auf " + Utf8Path(source_) +
                          " nicht prüfen; ein Journal wird erst nach " +
                          std::to_string(JournalLease().count()) +
                          " Sekunden ohne Erneuerung als verlassen behandelt");
    }

    fs::path temporaryPath(const Journal& journal, const std::string& name) const {
        return journal.version == 1 ? PathFromUtf8(name) : target_ / PathFromUtf8(name);
    }

    void noteNeeded(const Journal& journal) {
        // The folder the journal spells is swept too: this workstation may not have the
        // worklist on, or spell its folder otherwise.
        if (!journal.worklistFolder.empty()) {
            worklistFolders_.insert(PathFromUtf8(journal.worklistFolder));
        }
        if (!journal.publishing) return;
        for (const auto& [temporary, final] : journal.files) {
            needed_.insert(temporaryPath(journal, temporary));
        }
        // By name: any spelling of the worklist folder may be where the items wait.
        for (const auto& [temporary, final] : journal.items) neededItems_.insert(temporary);
    }

    // Where the journal's worklist items are: this workstation's worklist folder when the journal
    // spells it alike or one of the items is there, else the journal's own spelling when an item
    // is there. Neither: the journal stays for a workstation that reaches them, and the order
    // files wait with it, so that no order is completed without its items.
    fs::path worklistOf(const Journal& journal) const {
        if (journal.items.empty()) return {};
        auto holdsAnItem = [&](const fs::path& folder) {
            for (const auto& [temporary, final] : journal.items) {
                if (Exists(folder / PathFromUtf8(temporary)) ||
                    Exists(folder / PathFromUtf8(final))) {
                    return true;
                }
            }
            return false;
        };
        if (!worklist_.empty() &&
            (journal.worklistFolder == worklistText_ || holdsAnItem(worklist_))) {
            return worklist_;
        }
        const fs::path written = PathFromUtf8(journal.worklistFolder);
        if (!written.empty() && holdsAnItem(written)) return written;
        throw AppError(err::RecoveryFailed, "Die Worklist-Einträge des Auftrags liegen im Ordner " +
                                                journal.worklistFolder +
                                                ", der hier nicht erreichbar ist");
    }

    // False when the order was complete already: every file had its name, the claim was gone
    // (its confirmation was cut off between deleting the claim and removing the journal).
    bool complete(const Journal& journal, const fs::path& claim) {
        if (journal.version == 2) {
            if (target_.empty()) throw AppError(err::RecoveryFailed, "Kein Zielordner eingestellt");
            // Another spelling of the target folder is the same folder only if it holds one of
            // the order's files; otherwise a missing temporary would pass for a placed one.
            bool seen = journal.targetFolder == targetText_;
            for (const auto& [temporary, final] : journal.files) {
                seen = seen || Exists(target_ / PathFromUtf8(temporary)) ||
                       Exists(target_ / PathFromUtf8(final));
            }
            if (!seen) {
                throw AppError(err::RecoveryFailed, "Der Auftrag liegt im Zielordner " +
                                                        journal.targetFolder +
                                                        ", der hier nicht eingestellt ist");
            }
        }
        const fs::path worklist = worklistOf(journal);
        std::set<fs::path> folders;
        bool changed = false;
        for (const auto& [temporary, final] : journal.files) {
            const fs::path from = temporaryPath(journal, temporary);
            changed |= placeTemporary(
                from, journal.version == 1 ? PathFromUtf8(final) : target_ / PathFromUtf8(final));
            folders.insert(from.parent_path());
        }
        for (const auto& [temporary, final] : journal.items) {
            changed |=
                placeTemporary(worklist / PathFromUtf8(temporary), worklist / PathFromUtf8(final));
            folders.insert(worklist);
        }
        for (const fs::path& folder : folders) FlushFolder(folder);
        if (Exists(claim)) {
            DeleteFileForced(claim, true);
            FlushFolder(claim.parent_path());
            ReachedStep(ConfirmStep::RecoveryRequestDeleted);
            changed = true;
        }
        return changed;
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
            kRecoveryProcedure, order.completed ? err::OrderCompleted : err::OrderRolledBack,
            std::string(order.completed ? "Unterbrochener Auftrag beim Start abgeschlossen: "
                                        : "Unterbrochener Auftrag beim Start zurückgenommen: ") +
                describe(order));
        settled_.push_back(order);
    }

    fs::path program_;
    fs::path source_;
    fs::path target_;
    std::string targetText_;
    fs::path worklist_;
    std::string worklistText_;
    ErrorLog& log_;
    std::set<fs::path> needed_;                // temporaries a journal still names
    std::set<std::string> neededItems_;        // worklist items' temporaries, by name
    std::set<fs::path> worklistFolders_;       // the worklist folders the journals spell
    std::map<fs::path, std::int64_t> clocks_;  // each folder's server clock, read once
    bool unknownTemporaries_ = false;          // a journal that could not be read
    bool lockUntestableLogged_ = false;
    bool leftAlone_ = false;  // a journal whose owner may be alive
    std::vector<RecoveredOrder> settled_;
};

}  // namespace

std::vector<RecoveredOrder> RecoverConfirmations(const fs::path& programFolder,
                                                 const std::string& sourceFolder,
                                                 const std::string& targetFolder, ErrorLog& log,
                                                 const std::string& worklistFolder) {
    Settler settler(programFolder, sourceFolder, targetFolder, worklistFolder, log);
    const std::optional<std::vector<FolderEntry>> listed = entriesOf(PathFromUtf8(sourceFolder));
    const std::vector<FolderEntry> source = listed.value_or(std::vector<FolderEntry>{});
    for (const FolderEntry& entry : source) {
        if (!entry.regular || !ParseJournalName(entry.name)) continue;
        trap(log, kRecoveryProcedure, [&] { settler.journalBesideClaim(entry.name); });
    }
    for (const FolderEntry& entry : entriesOf(programFolder).value_or(std::vector<FolderEntry>{})) {
        if (!entry.regular || !ParseJournalName(entry.name)) continue;
        trap(log, kRecoveryProcedure, [&] { settler.journalInProgramFolder(entry.name); });
    }
    for (const FolderEntry& entry : source) {
        const auto claim = ParseClaimName(entry.name);
        if (!claim || !entry.regular) continue;
        trap(log, kRecoveryProcedure, [&] { settler.claimWithoutJournal(entry.name, *claim); });
    }
    settler.sweep(listed.has_value());
    return settler.Settled();
}

}  // namespace morvik
