#include "app/OrderTransaction.h"

#include <set>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "gdt/RequestReader.h"

namespace morvik {

namespace fs = std::filesystem;

namespace {

// How often a failing call is tried once the order may only go forward.
constexpr int kTries = 3;

template <typename Call>
bool retried(Call call) {
    for (int attempt = 0; attempt < kTries; ++attempt) {
        try {
            call();
            return true;
        } catch (const AppError&) {
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<OrderTransaction> OrderTransaction::Begin(const fs::path& request,
                                                          std::string_view suffix,
                                                          const Workplace& place,
                                                          const std::string& targetFolder,
                                                          const JournalPatient& patient,
                                                          const std::string& worklistFolder) {
    // A different file slipped in under the request's name between opening and renaming: it
    // goes straight back and the claim starts again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::unique_ptr<OrderTransaction> t(new OrderTransaction);
        try {
            t->held_ = std::make_unique<HeldFile>(request);
        } catch (const AppError& e) {
            if (e.Number() == err::FileNotFound || e.Number() == err::NotRegularFile) {
                return nullptr;
            }
            throw;
        }
        t->folder_ = request.parent_path();
        const std::string token = NewToken();
        t->head_.workstation = place.workstation;
        t->head_.programFolder = Utf8Path(place.programFolder);
        t->head_.targetFolder = targetFolder;
        t->head_.request = Utf8Path(request.filename());
        t->head_.claim = ClaimFileName(token, t->head_.request, suffix);
        t->head_.patientId = patient.id;
        t->head_.patientName = patient.name;
        t->head_.patientBorn = patient.born;
        t->head_.worklistFolder = worklistFolder;
        t->claim_ = t->folder_ / PathFromUtf8(t->head_.claim);

        t->journal_ = OwnedFile::Create(t->folder_ / PathFromUtf8(JournalFileName(token, suffix)));
        RenameOutcome renamed = RenameOutcome::SourceMissing;
        try {
            const std::string head = t->head_.HeadText();
            // The head is flushed with the publishing record: nothing needs it on the disk
            // before. A cut before that may leave the journal empty or torn; a start then drops
            // it as a journal without a head and gives its claim back, as it gives back any claim
            // without a journal, and sweeps the temporaries nobody names.
            t->journal_->Append(head, OwnedFile::AppendFlush::WithTheNext);
            t->headSize_ = head.size();
            // The journal's name and the claim become durable with one flush of the folder,
            // below: a power cut before it may keep either without the other, and a start gives
            // a claim without its journal back, and drops a journal without its claim.
            renamed = t->held_->ClaimAs(t->claim_);
        } catch (const AppError&) {
            // A rename without replacing cut between link and unlink leaves a second name.
            if (SameFile(request, t->claim_)) RemoveFileQuietly(t->claim_);
            t->state_ = State::Done;
            RemoveFileQuietly(t->journal_->Path());
            throw;
        }
        if (renamed != RenameOutcome::Done) {
            t->state_ = State::Done;
            RemoveFileQuietly(t->journal_->Path());
            return nullptr;  // another copy has it
        }
        // From here on the destructor gives the request back should anything fail.
        FlushFolder(t->folder_);
        t->journal_->Renew();
        if (!t->held_->IsAt(t->claim_)) {
            t->GiveBack();
            continue;
        }
        t->bytes_ = t->held_->ReadAll(kMaxRequestBytes);
        ReachedStep(ConfirmStep::Claimed);
        return t;
    }
    return nullptr;
}

OrderTransaction::~OrderTransaction() {
    if (state_ == State::Claimed) {
        try {
            takeBack();
        } catch (...) {
            // The journal stands without its publishing record: the next start gives it back.
        }
    }
    // Temporaries a journal names stay for the next start; the others go with their files.
    if (state_ == State::Left || state_ == State::Published) {
        for (StagedFile& file : staged_) file.Keep();
    }
}

void OrderTransaction::takeBack() {
    state_ = State::Done;
    for (StagedFile& file : staged_) file.Discard();
    GiveBackClaim(claim_, head_.request);
    journal_->Remove();
    FlushFolder(folder_);
}

fs::path OrderTransaction::GiveBack() {
    if (state_ != State::Claimed)
        throw AppError(err::InternalError, "Auftrag ist schon veröffentlicht");
    state_ = State::Done;
    for (StagedFile& file : staged_) file.Discard();
    const fs::path back = GiveBackClaim(claim_, head_.request);
    try {
        journal_->Remove();
        FlushFolder(folder_);
    } catch (const AppError&) {
        // A journal whose claim is gone is removed by the next start.
    }
    return back;
}

OrderTransaction::Outcome OrderTransaction::Place(const std::vector<OrderFileWriter>& writers,
                                                  const ItemWriter& writeItem) {
    if (writeItem && head_.worklistFolder.empty()) {
        throw AppError(err::InternalError, "Worklist-Einträge ohne Worklist-Ordner im Journal");
    }
    for (std::size_t index = 0; index < writers.size(); ++index) {
        std::optional<StagedFile> file = writers[index]();
        if (!file)
            throw AppError(err::OrderWrite, "Eine Auftragsdatei konnte nicht geschrieben werden");
        stage(std::move(*file), false);
        if (!writeItem) continue;
        std::optional<StagedFile> item = writeItem(index, staged_.back());
        if (!item) {
            throw AppError(err::OrderWrite, "Ein Worklist-Eintrag konnte nicht geschrieben werden");
        }
        stage(std::move(*item), true);
    }
    return publish();
}

void OrderTransaction::stage(StagedFile file, bool item) {
    staged_.push_back(std::move(file));
    stagedItems_.push_back(item);
    journal_->Renew();
    ReachedStep(ConfirmStep::Staged);
}

bool OrderTransaction::cutBackToHead() noexcept {
    try {
        journal_->Truncate(headSize_);
        return true;
    } catch (...) {
        return false;
    }
}

OrderTransaction::Outcome OrderTransaction::leave(Outcome outcome) noexcept {
    state_ = State::Left;
    // Nobody works on it any more: the next start of any copy may settle it at once.
    journal_->Abandon();
    for (StagedFile& file : staged_) file.Keep();
    return outcome;
}

// The file gets its final name, or has it already: a rename that failed may have happened all
// the same (a lost reply from the file server), or left both names.
bool OrderTransaction::place(StagedFile& file) {
    const fs::path temporary = file.Temporary();
    const fs::path& final = file.Target();
    for (int attempt = 0; attempt < kTries; ++attempt) {
        try {
            switch (RenameNoReplace(temporary, final)) {
                case RenameOutcome::Done:
                    file.Keep();
                    return true;
                case RenameOutcome::TargetExists:
                    if (!SameFile(temporary, final)) return false;  // a GUID name taken
                    // Placed; a second name that stays is dropped by the next start.
                    RemoveFileQuietly(temporary);
                    file.Keep();
                    return true;
                case RenameOutcome::SourceMissing:
                    break;
            }
        } catch (const AppError&) {
        }
        try {
            if (!Exists(temporary) && Exists(final)) {
                file.Keep();
                return true;
            }
        } catch (const AppError&) {
            // Could not look: tried again, and what stays unknown is left to the journal.
        }
    }
    return false;
}

// Another copy settles a journal whose lease ran out (a share whose locks it cannot see, a
// confirmation stalled for longer than the lease); then neither the claim nor the journal is
// ours any more, and nothing may be published.
void OrderTransaction::checkStillOurs() {
    if (journal_->IsAt() && held_->IsAt(claim_)) {
        journal_->Renew();
        return;
    }
    state_ = State::Done;  // what is left of it belongs to whoever took it
    for (StagedFile& file : staged_) file.Discard();
    throw AppError(err::OrderWrite,
                   "Die Anforderung wurde inzwischen von einem anderen Arbeitsplatz übernommen: " +
                       Utf8Path(claim_));
}

OrderTransaction::Outcome OrderTransaction::publish() {
    // The staged files' bytes and names are durable before the journal names them. The bytes
    // were written without waiting; all of them are waited for here, together.
    std::set<fs::path> targets;
    for (StagedFile& file : staged_) {
        file.Flush();
        targets.insert(file.Target().parent_path());
        // Once published, a missing temporary counts as placed: none may be missing before.
        if (!Exists(file.Temporary())) {
            throw AppError(err::OrderWrite, Utf8Path(file.Temporary()) + " ist verschwunden");
        }
    }
    for (const fs::path& folder : targets) FlushFolder(folder);
    checkStillOurs();

    Journal publish = head_;
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        (stagedItems_[i] ? publish.items : publish.files)
            .emplace_back(Utf8Path(staged_[i].Temporary().filename()),
                          Utf8Path(staged_[i].Target().filename()));
    }
    try {
        journal_->Append(publish.PublishText());
    } catch (const AppError&) {
        // Part of the record may be on disk: cut it off, or nobody knows which way this goes.
        if (!cutBackToHead()) return leave(Outcome::Unsettled);
        throw;
    }
    ReachedStep(ConfirmStep::PublishRecorded);

    std::size_t placed = 0;
    for (StagedFile& file : staged_) {
        if (!place(file)) {
            if (placed > 0) return leave(Outcome::Pending);
            if (!cutBackToHead()) return leave(Outcome::Unsettled);
            throw AppError(err::OrderWrite, "Umbenennen nach " + Utf8Path(file.Target()));
        }
        state_ = State::Published;
        ++placed;
        ReachedStep(ConfirmStep::Renamed);
    }
    // Every order file has its name for good before the request goes. A flush that failed is
    // final for what it covered (a second one may succeed without the data ever reaching the
    // disk), so it is never tried again here: the journal stays, and the next start flushes anew.
    try {
        for (const fs::path& folder : targets) FlushFolder(folder);
    } catch (const AppError&) {
        return leave(Outcome::Pending);
    }
    // The claim is closed before it goes: on Windows and SMB a file deleted while a handle is
    // open keeps its name until that handle closes, and another copy starting meanwhile would
    // take it for a claim without its journal and give it back. The journal, still locked,
    // keeps the other copies off the claim until then.
    held_.reset();
    if (!retried([&] { DeleteFileForced(claim_, true); })) return leave(Outcome::Pending);
    try {
        FlushFolder(folder_);
    } catch (const AppError&) {
        return leave(Outcome::Pending);
    }
    state_ = State::Done;
    ReachedStep(ConfirmStep::RequestDeleted);
    try {
        // Not flushed: a journal that a power cut brings back is settled by the next start with
        // nothing to do, and the operator is told that the order was complete already.
        journal_->Remove();
        ReachedStep(ConfirmStep::JournalRemoved);
    } catch (const AppError&) {
    }
    ReachedStep(ConfirmStep::Finished);
    return Outcome::Complete;
}

}  // namespace morvik
