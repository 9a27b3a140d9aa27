// The request the session shows: found at start, by the source folder watch and at confirmation,
// read, and named in the messages to the operator.
#include "app/OrderSession.h"
#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "gdt/RequestSearch.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

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
    request_.path = PathFromUtf8(requestPath_);
    requestShown_ = true;
    notice_.clear();
    tell(newRequestMessage(request_));
}

}  // namespace morvik
