#include "app/OrderSession.h"

#include <algorithm>

#include "Version.h"
#include "app/CatalogueTakeOver.h"
#include "app/Confirmation.h"
#include "app/OrderNotices.h"
#include "app/OrderTransaction.h"
#include "app/Recovery.h"
#include "app/WorklistCleanup.h"
#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "gdt/OrderWriter.h"
#include "gdt/RequestSearch.h"
#include "platform/FileSystem.h"
#include "platform/OwnedFile.h"
#include "platform/SystemClock.h"
#include "worklist/WorklistItem.h"

namespace morvik {

namespace fs = std::filesystem;

namespace {

const char* const kNoWorklistFolder =
    "Die Worklist ist eingeschaltet, aber kein Worklist-Ordner eingestellt – Datei → "
    "Einstellungen";
const char* const kWorklistUnavailable =
    "Die DICOM-Worklist ist eingeschaltet, aber diese Version von Morvik kann keine "
    "Worklist-Einträge schreiben. Es wurde nichts angelegt. Bitte schalten Sie die Worklist unter "
    "Datei → Einstellungen aus oder verwenden Sie eine Version mit Worklist.";
const char* const kOrderFailed =
    "Der Auftrag konnte nicht angelegt werden. Details stehen im Fehlerprotokoll.";

// Extends a joined text: the separator only when something is there already.
void join(std::string& joined, const std::string& separator, const std::string& text) {
    if (!joined.empty()) joined += separator;
    joined += text;
}

const char* const kNotFound = "GDT-File wurde nicht gefunden.";
const char* const kNoSourceFolder = "Kein Quellordner eingestellt – Datei → Einstellungen";
const char* const kUnreachable = "Quellordner nicht erreichbar: ";
const char* const kNoRequest = "Keine Anforderung im Quellordner";

std::string tooLargeMessage(const std::string& path) {
    return "Die Datei \"" + Utf8Path(PathFromUtf8(path).filename()) +
           "\" ist zu groß, um eine Anforderung zu sein (mehr als 10 MB), und bleibt "
           "unverändert liegen; es wird nichts angelegt.";
}

// Names the patient now on screen with both identifiers, so that the operator checks the right one.
std::string newRequestMessage(const PatientRequest& r) {
    const std::string check = "Bitte prüfen Sie den Patienten und bestätigen Sie erneut.";
    const std::string name = DisplayedName(r);
    if (r.patientId.empty() && name.empty() && r.birthDate.empty()) {
        return "Neue Anforderung geladen. " + check;
    }
    return "Neue Anforderung geladen: " + PatientDescription(r.patientId, name, r.birthDate) +
           ". " + check;
}

}  // namespace

OrderSession::OrderSession(std::filesystem::path programFolder, ErrorLog& log, OperatorChannel& op,
                           DriveConnector connectDrive)
    : programFolder_(std::move(programFolder)),
      log_(log),
      op_(op),
      connectDrive_(std::move(connectDrive)),
      counter_(programFolder_, log) {}

std::string OrderSession::WindowTitle() const {
    return "Morvik Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
           "." + std::to_string(kVersionRevision);
}

void OrderSession::announce() {
    const SessionChange change = pending_;
    pending_ = {};
    if (view_) view_->SessionChanged(change);
}

// The window shows what the message is about before the operator reads it.
void OrderSession::tell(const std::string& text, MessageIcon icon) {
    announce();
    op_.ShowMessage(text, kProgramName, icon);
}

// ---- Lifecycle -------------------------------------------------------------------------------

void OrderSession::Load() {
    trap(log_, trapname::MainWindowLoad, [&] {
        settings_ = LoadAppSettings(programFolder_, log_);
        captions_ = settings_.modalityNames;
        checkedModality_ = 1;
        if (settings_.withoutBodyParts[1]) enterWithoutBodyParts();
        addedCount_ = 0;
        DropTrailingSeparator(settings_.sourceFolder);
        DropTrailingSeparator(settings_.targetFolder);
        connectDrives();
        // Before anything is searched or shown: a confirmation a killed program left behind is
        // completed or taken back, and the operator learns which patient it concerned.
        DropTrailingSeparator(settings_.worklistFolder);
        const std::string notice = RecoveryNotice(
            RecoverConfirmations(programFolder_, settings_.sourceFolder, settings_.targetFolder,
                                 log_, settings_.worklistFolder));
        tidyWorklistFolder();
        if (!notice.empty()) tell(notice, MessageIcon::Warning);
        announce();  // the search lets the window repaint
        showRequestAtStart();
    });
    announce();
}

void OrderSession::Unload() {
    trap(log_, trapname::MainWindowUnload,
         [&] { SaveInitials(settings_.initials, programFolder_); });
}

void OrderSession::FillCatalogue(std::vector<BodyPartEntry> rows) {
    catalogue_.AppendAll(std::move(rows));
    pending_.catalogueRows = true;
    search_.Build(catalogue_.Rows());
    announce();
}

bool OrderSession::TakeOverCatalogue() {
    const CatalogueTakeOver result = TakeOverJetCatalogue(programFolder_, log_);
    if (result.outcome == CatalogueTakeOver::Outcome::TakenOver) takeOverMessage_ = result.message;
    if (result.outcome != CatalogueTakeOver::Outcome::Refused) return true;
    catalogueNotice_ = result.message;
    announce();
    return false;
}

void OrderSession::TellCatalogueTakeOver() {
    if (takeOverMessage_.empty()) return;
    tell(std::exchange(takeOverMessage_, {}), MessageIcon::Information);
}

// After the recovery, with the worklist on: the file the worklist server locks while it reads
// ("lockfile") is there, and the items older than the setting go.
void OrderSession::tidyWorklistFolder() {
    if (!settings_.worklistEnabled || settings_.worklistFolder.empty()) return;
    const fs::path folder = PathFromUtf8(settings_.worklistFolder);
    trap(log_, trapname::MainWindowLoad, [&] {
        if (!Exists(folder / "lockfile")) AppendToFile(folder / "lockfile", "");
    });
    RemoveOldWorklistItems(folder, WorklistKeepDays(settings_), log_);
}

void OrderSession::connectDrives() {
    if (settings_.connectSource && connectDrive_ &&
        connectDrive_(settings_.sourceDrive + ":", settings_.sourceFolder)) {
        sourceDriveText_ = "Quellnetzlaufwerk ist verbunden";
    }
    if (settings_.connectTarget && connectDrive_ &&
        connectDrive_(settings_.targetDrive + ":", settings_.targetFolder)) {
        targetDriveText_ = "Zielnetzlaufwerk ist verbunden";
    }
}

std::string OrderSession::failedMessage() const {
    if (log_.LastLineWritten()) return kOrderFailed;
    return "Der Auftrag konnte nicht angelegt werden. Der Programmordner \"" +
           Utf8Path(programFolder_) +
           "\" ist nicht beschreibbar, daher fehlt auch der Eintrag im Fehlerprotokoll; bitte "
           "lassen Sie die Schreibrechte dieses Ordners prüfen.";
}

// ---- Lists and modality ------------------------------------------------------------------

void OrderSession::enterWithoutBodyParts() {
    catalogue_.SetEnabled(false);
    added_.Clear();
    pending_.addedRows = true;
    addedCount_ = 0;
    okEnabled_ = true;
}

std::size_t OrderSession::Search(const std::string& text) {
    std::size_t scrollTo = 0;
    searchMatched_ = false;
    searchMissed_ = false;
    trap(log_, trapname::SearchChange, [&] {
        if (text.empty()) {
            catalogue_.Deselect();
            return;
        }
        std::size_t row = search_.FirstMatch(text);
        // A miss leaves the selection as it was, but says so.
        searchMissed_ = row == 0;
        if (row == 0) return;
        searchMatched_ = true;
        catalogue_.Select(row);
        scrollTo = std::min(row + 7, catalogue_.Count());
    });
    announce();
    return scrollTo;
}

void OrderSession::AddFoundBodyPart() {
    // After a miss the row still selected is not what the operator typed.
    if (searchMatched_) AddSelectedBodyPart();
}

void OrderSession::AddSelectedBodyPart() {
    trap(log_, trapname::AddBodyPart, [&] {
        // No selected row: nothing to add, and no empty row either.
        if (!catalogue_.Enabled() || catalogue_.Selected() == 0) return;
        added_.Append(catalogue_.Row(catalogue_.Selected()));
        pending_.addedRows = true;
        ++addedCount_;
        okEnabled_ = true;
    });
    announce();
}

void OrderSession::RemoveSelectedBodyPart() {
    trap(log_, trapname::RemoveBodyPart, [&] {
        added_.Remove(added_.Selected());
        pending_.addedRows = true;
        --addedCount_;
        if (addedCount_ == 0) okEnabled_ = false;
    });
    announce();
}

void OrderSession::RemoveSelectedBodyPartIfAny() {
    // Unlike a double-click, a key press with nothing selected is no slip worth a log line.
    if (added_.Selected() != 0) RemoveSelectedBodyPart();
}

void OrderSession::ChooseModality(int index) {
    if (index < 0 || index >= kModalityCount) return;
    checkedModality_ = index;
    if (settings_.withoutBodyParts[index]) {
        enterWithoutBodyParts();
    } else {
        catalogue_.SetEnabled(true);
        if (addedCount_ == 0) okEnabled_ = false;
    }
    announce();
}

void OrderSession::SetInitials(const std::string& text) {
    settings_.initials = text;
}

void OrderSession::SelectCatalogueRow(std::size_t row) {
    if (row == 0 || !catalogue_.Enabled()) {
        catalogue_.Deselect();
    } else if (row <= catalogue_.Count()) {
        catalogue_.Select(row);
    }
    announce();
}

void OrderSession::SelectAddedRow(std::size_t row) {
    if (row == 0) {
        added_.Deselect();
    } else if (row <= added_.Count()) {
        added_.Select(row);
    }
    announce();
}

void OrderSession::SetModalityCaption(int index, const std::string& caption) {
    if (index >= 0 && index < kModalityCount) captions_[index] = caption;
    announce();
}

// ---- Confirmation ---------------------------------------------------------------------------

OrderSession::Confirmation OrderSession::Confirm(const std::string& comment) {
    if (busy_) return Confirmation::Stay;
    busy_ = true;
    announce();
    Confirmation result = Confirmation::Stay;
    bool ok = trap(log_, trapname::ConfirmOrder, [&] {
        if (settings_.sourceFolder.empty()) return tell("Bitte geben Sie einen Quellpfad an.");
        if (settings_.targetFolder.empty()) return tell("Bitte geben Sie einen Zielpfad an.");
        if (settings_.initials.empty()) return tell("Bitte geben Sie ein Kürzel an.");

        if (checkedModality_ >= 0) {
            modalityName_ = captions_[checkedModality_];
            modalityIndex_ = checkedModality_;
            withoutBodyParts_ = settings_.withoutBodyParts[checkedModality_];
        }
        OrderChoice choice{modalityName_, comment, settings_.initials};
        DropTrailingSeparator(settings_.sourceFolder);
        DropTrailingSeparator(settings_.targetFolder);
        std::string worklistFolder;
        if (settings_.worklistEnabled) {
            DropTrailingSeparator(settings_.worklistFolder);
            if (settings_.worklistFolder.empty()) return tell(kNoWorklistFolder);
            // An order without the items the devices wait for would go missing there unseen.
            if (!WorklistAvailable()) return tell(kWorklistUnavailable, MessageIcon::Warning);
            worklistFolder = settings_.worklistFolder;
        }
        connectDrives();

        // Never order for a patient the operator has not seen: show it and stop here.
        if (!requestShown_) return showWaitingRequest();
        // From here on the request is out of reach of every other copy and of the practice
        // system; a new request under the same name stays untouched.
        std::unique_ptr<OrderTransaction> order =
            OrderTransaction::Begin(PathFromUtf8(requestPath_), settings_.requestSuffix,
                                    Workplace{WorkstationName(), programFolder_},
                                    settings_.targetFolder, PatientOf(request_), worklistFolder);
        if (!order) {
            // Gone: another request may be waiting, and it is the one to show now.
            forgetRequest();
            return showWaitingRequest();
        }
        // No handle on the request, its claim or the journal stays open while the operator is
        // told something: on a share a file deleted or renamed under an open handle lingers
        // ("delete pending"), and the practice system could not write a given-back request.
        if (order->Bytes() != request_.text) {
            // Changed since it was shown: back it goes, shown afresh, nothing written.
            ByteBuffer bytes(order->Bytes());
            requestPath_ = Utf8Path(order->GiveBack());
            order.reset();
            return showNewRequest(std::move(bytes));
        }
        if (!withoutBodyParts_ && !settings_.oneFilePerPatient && addedCount_ == 0) {
            requestPath_ = Utf8Path(order->GiveBack());
            order.reset();
            return tell("Bitte wählen Sie mindestens ein Körperteil aus.");
        }
        const OrderTransaction::Outcome outcome =
            writeOrders(choice, withoutBodyParts_, *order, worklistFolder);
        order.reset();
        switch (outcome) {
            case OrderTransaction::Outcome::Complete:
                tell("Der Auftrag wurde erfolgreich angelegt.", MessageIcon::Information);
                break;
            case OrderTransaction::Outcome::Pending:
                tell(IncompleteOrderMessage(PatientOf(request_)), MessageIcon::Warning);
                break;
            case OrderTransaction::Outcome::Unsettled:
                tell(UnsettledOrderMessage(PatientOf(request_)), MessageIcon::Warning);
                break;
        }
        result = Confirmation::Done;
    });
    busy_ = false;
    if (!ok) tell(failedMessage(), MessageIcon::Warning);
    announce();
    return result;
}

// Issues the accession numbers and hands the transaction one writer per order file; it stages
// them all and publishes them (OrderTransaction.h): a failure before the first final name leaves
// nothing and the request back; after it, the order only goes forward and what is left is
// completed by the next start.
OrderTransaction::Outcome OrderSession::writeOrders(const OrderChoice& choice,
                                                    bool withoutBodyParts, OrderTransaction& order,
                                                    const std::string& worklistFolder) {
    const OrderFormat format = OrderFormatOf(settings_);
    // The accession numbers of the whole confirmation are issued together; numbers taken by an
    // attempt that fails later are not used again.
    std::vector<std::string> numbers;
    if (!withoutBodyParts && format.accession) {
        auto issued = counter_.IssueNumbers(settings_.oneFilePerPatient ? 1 : addedCount_);
        if (!issued) {
            throw AppError(err::NoAccessionNumber,
                           "Für den Auftrag konnte keine Accession Number vergeben werden");
        }
        numbers = std::move(*issued);
    }
    auto number = [&](std::size_t i) { return i < numbers.size() ? numbers[i] : std::string(); };

    // The window stays alive while the files are written, one yield per body part.
    std::vector<OrderTransaction::OrderFileWriter> writers;
    std::vector<BodyPartEntry> partOf;  // what each order file orders, for its worklist item
    if (withoutBodyParts) {
        writers.emplace_back([&] {
            op_.ProcessEvents();
            return WriteGDTScan(format, log_, request_.text, choice);
        });
        partOf.emplace_back();
    } else if (settings_.oneFilePerPatient) {
        BodyPartEntry joined;
        for (std::size_t row = 1; row <= addedCount_; ++row) {
            op_.ProcessEvents();
            const BodyPartEntry& part = added_.Row(row);
            join(joined.name, ", ", part.name);
            join(joined.abbreviation, ", ", part.abbreviation);
            join(joined.factoryCode, "|", part.factoryCode);
        }
        writers.emplace_back([&, joined] {
            return WriteGDT(format, log_, request_.text, choice, joined, number(0));
        });
        partOf.push_back(joined);
    } else {
        for (std::size_t row = 1; row <= addedCount_; ++row) {
            writers.emplace_back([&, row] {
                op_.ProcessEvents();
                return WriteGDT(format, log_, request_.text, choice, added_.Row(row),
                                number(row - 1));
            });
            partOf.push_back(added_.Row(row));
        }
    }

    // With the worklist on, each order file gets its item, named like it ("<GUID>.wl").
    OrderTransaction::ItemWriter writeItem;
    if (!worklistFolder.empty()) {
        const std::size_t button =
            modalityIndex_ >= 0 ? static_cast<std::size_t>(modalityIndex_) : 0;
        WorklistOrder common;
        // A worklist server serves no item without a modality and a station: a button without
        // a code stands for "other", one without a station for this program's own.
        common.modality = settings_.worklistModalityCodes.at(button);
        if (common.modality.empty()) common.modality = "OT";
        common.stationAeTitle = settings_.worklistStationAETitles.at(button);
        if (common.stationAeTitle.empty()) common.stationAeTitle = "MORVIK";
        common.comment = choice.comment;
        common.moment = LocalTimeNow();
        writeItem = [&, common](std::size_t index,
                                const StagedFile& orderFile) -> std::optional<StagedFile> {
            std::optional<StagedFile> staged;
            trap(log_, trapname::WriteWorklistItem, [&] {
                WorklistOrder item = common;
                item.bodyPart = partOf.at(index);
                if (!number(index).empty()) {
                    item.accessionNumber = format.accessionPrefix + number(index);
                }
                item.studyInstanceUid = NewStudyInstanceUid();
                const fs::path name = orderFile.Target().filename().replace_extension(".wl");
                staged.emplace(JoinPath(worklistFolder, Utf8Path(name)),
                               WorklistItemBytes(MakeWorklistItem(request_, item)), -1,
                               StagedFlush::Later);
            });
            return staged;
        };
    }
    const OrderTransaction::Outcome outcome = order.Place(writers, writeItem);
    if (outcome != OrderTransaction::Outcome::Complete) {
        log_.LogError(trapname::ConfirmOrder, err::OrderWrite,
                      "Auftrag nicht abgeschlossen, beim nächsten Start fortgesetzt: " +
                          Utf8Path(order.ClaimPath()));
    }
    return outcome;
}

// --- The request on screen: found at start, by the source folder watch and at confirmation,
// read, and named in the messages to the operator.
void OrderSession::showRequestAtStart() {
    showFirstRequest(trapname::MainWindowLoad, false);
    if (notice_ == kNoRequest) tell(kNotFound);
}

void OrderSession::LookForRequest() {
    // A confirmation or a search under way has the folder already.
    if (busy_ || looking_ || requestShown_) return;
    trap(log_, trapname::SourceFolderPoll, [&] {
        DropTrailingSeparator(settings_.sourceFolder);
        showFirstRequest(trapname::SourceFolderPoll, true);
    });
    announce();
}

// Shows the first request of the source folder, passing over files too large to be one; without
// one, notice_ says why. A failure is logged; `quiet` leaves out the one the last search logged,
// so that the folder watch does not fill the log.
void OrderSession::showFirstRequest(const char* procedure, bool quiet) {
    looking_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{looking_};
    notice_.clear();
    std::vector<std::string> paths;
    try {
        paths = findRequests(procedure);
    } catch (...) {
        logLookFailure(procedure, quiet);
        notice_ = settings_.sourceFolder.empty() ? std::string(kNoSourceFolder)
                                                 : kUnreachable + settings_.sourceFolder;
        return;
    }
    for (const std::string& path : paths) {
        requestPath_ = path;
        const Read read = readRequest(quiet);
        if (read == Read::Failed) return;
        if (read == Read::Shown) {
            lastLookFailure_.clear();
            return;
        }
    }
    requestPath_.clear();
    lastLookFailure_.clear();
    notice_ = kNoRequest;
}

OrderSession::Read OrderSession::readRequest(bool quiet) {
    std::string tooLarge;
    try {
        request_ = ReadGDT(PathFromUtf8(requestPath_));
        requestShown_ = true;
        return Read::Shown;
    } catch (const AppError& e) {
        if (e.Number() != err::FileTooLarge) {
            logLookFailure(trapname::ReadRequest, quiet);
            return Read::Failed;
        }
        tooLarge = e.what();
    } catch (...) {
        logLookFailure(trapname::ReadRequest, quiet);
        return Read::Failed;
    }
    passOverTooLarge(tooLarge);
    return Read::TooLarge;
}

// A file too large to be a request is passed over, so that it blocks no later request; it is
// logged and the operator told once per start.
void OrderSession::passOverTooLarge(const std::string& description) {
    if (!toldTooLarge_.insert(requestPath_).second) return;
    log_.LogError(trapname::ReadRequest, err::FileTooLarge, description);
    tell(tooLargeMessage(requestPath_), MessageIcon::Warning);
}

// Call only from a catch block.
void OrderSession::logLookFailure(const char* procedure, bool quiet) noexcept {
    std::string what;
    try {
        throw;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    if (quiet && what == lastLookFailure_) return;
    lastLookFailure_ = what;
    LogCurrentException(log_, procedure);
}

// The request search; an entry with a request name that is no plain file is logged once.
std::vector<std::string> OrderSession::findRequests(const char* procedure) {
    return FindRequests(
        settings_.sourceFolder, settings_.requestSuffix, [&] { op_.ProcessEvents(); },
        [&](const std::string& name) {
            if (!skippedNames_.insert(name).second) return;
            log_.LogError(procedure, err::NotRegularFile,
                          Utf8Path(JoinPath(settings_.sourceFolder, name)) +
                              " ist keine gewöhnliche Datei und wird nicht als Anforderung "
                              "genommen");
        });
}

// The bytes of the request at requestPath_; nullopt for a file too large to be one.
std::optional<ByteBuffer> OrderSession::requestBytes() {
    std::string tooLarge;
    try {
        return ReadRequestBytes(PathFromUtf8(requestPath_));
    } catch (const AppError& e) {
        if (e.Number() != err::FileTooLarge) throw;
        tooLarge = e.what();
    }
    passOverTooLarge(tooLarge);
    return std::nullopt;
}

// At confirmation with no request on screen (none yet, or the one shown has vanished): the folder
// is searched at once, and a request waiting there is shown for the operator to check first.
void OrderSession::showWaitingRequest() {
    announce();
    for (const std::string& path : findRequests(trapname::ConfirmOrder)) {
        requestPath_ = path;
        if (auto bytes = requestBytes()) return showNewRequest(std::move(*bytes));
    }
    requestPath_.clear();
    notice_ = kNoRequest;
    tell(kNotFound);
}

void OrderSession::forgetRequest() {
    requestPath_.clear();
    request_ = PatientRequest{};
    requestShown_ = false;
}

// Shows a request the operator has not seen yet (its labels are its own, so two patients never
// mix) and asks for a new confirmation.
void OrderSession::showNewRequest(ByteBuffer bytes) {
    request_ = ParseRequest(std::move(bytes));
    requestShown_ = true;
    notice_.clear();
    tell(newRequestMessage(request_));
}

}  // namespace morvik
