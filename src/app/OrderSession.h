#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/OrderTransaction.h"
#include "app/PatientCaptions.h"
#include "app/SessionView.h"
#include "base/OperatorChannel.h"
#include "catalogue/BodyPartList.h"
#include "catalogue/NameSearch.h"
#include "config/AppSettings.h"
#include "gdt/AccessionCounter.h"
#include "gdt/OrderWriter.h"
#include "gdt/RequestReader.h"

namespace morvik {

class ErrorLog;

// Connects a share for a folder; true when it did. Tests hand in a fake.
using DriveConnector =
    std::function<bool(const std::string& localName, const std::string& remotePath)>;

// The main window's state and rules: the settings, the request on screen, the two body-part
// lists, the chosen modality and what the confirm button may do. The window only shows this
// state and forwards its events here.
class OrderSession {
  public:
    OrderSession(std::filesystem::path programFolder, ErrorLog& log, OperatorChannel& op,
                 DriveConnector connectDrive);

    // The window showing this session; nullptr when none (any more).
    void SetView(SessionView* view) { view_ = view; }

    // --- Lifecycle -------------------------------------------------------------------------
    // Settings, captions, the initial modality, drives, settling what a killed program left
    // behind (told to the operator), the request search and its reading.
    void Load();
    // Writes the initials back to Settings.ini, also when empty.
    void Unload();
    // Puts the catalogue rows (already in name order) into the catalogue list in one go.
    void FillCatalogue(std::vector<BodyPartEntry> rows);
    // Before the catalogue is filled: takes a Jet Bodypart.mdb over (CatalogueTakeOver.h).
    // False when the catalogue cannot be read this run; CatalogueNotice() then says why and what
    // to do.
    bool TakeOverCatalogue();
    // After the list is filled: tells the operator, once, that a Jet catalogue was taken over.
    void TellCatalogueTakeOver();

    // --- Events ----------------------------------------------------------------------------
    // A failure is logged under the event's name in the window ("txtSearch_Change",
    // "lvBodyparts_DblClick", "lvAddBodyparts_DblClick", "cmdOK_Click", ...), as the error log
    // has always named them.
    // Search: selects the first name starting with the text. Returns the row to bring into
    // view (the match plus up to seven rows below it), 0 when nothing moved.
    std::size_t Search(const std::string& text);
    // Enter in the search field adds the selected row, but only while the text found a name.
    void AddFoundBodyPart();
    void AddSelectedBodyPart();
    void RemoveSelectedBodyPart();
    // Delete in the added list: removes the selected row; with none selected it does nothing.
    void RemoveSelectedBodyPartIfAny();
    void ChooseModality(int index);
    void SetInitials(const std::string& text);
    void SelectCatalogueRow(std::size_t row);  // 0 deselects
    void SelectAddedRow(std::size_t row);      // 0 deselects

    enum class Confirmation { Stay, Done };
    // The confirm button: checks, claims the request on screen (no other copy and no new
    // request can then be mixed up with it), writes every order file or none, deletes the
    // claimed request. Done means the window is to close.
    Confirmation Confirm(const std::string& comment);

    // The source folder watch, every few seconds: while no request is shown, the folder is
    // searched again and a request found there is shown exactly as if it had been there at start.
    void LookForRequest();

    // Options dialog "OK" renames a modality button at once.
    void SetModalityCaption(int index, const std::string& caption);

    // --- State for the window ----------------------------------------------------------------
    AppSettings& Settings() { return settings_; }
    const AppSettings& Settings() const { return settings_; }
    const std::array<std::string, kModalityCount>& ModalityCaptions() const { return captions_; }
    int CheckedModality() const { return checkedModality_; }
    PatientCaptions Patient() const { return CaptionsOf(request_); }
    // What the patient area says while it shows no request: no source folder set, the folder
    // not reachable, or no request in it; empty otherwise.
    const std::string& RequestNotice() const { return notice_; }
    // What the catalogue area says when the catalogue could not be taken over; empty otherwise.
    const std::string& CatalogueNotice() const { return catalogueNotice_; }
    // No request is shown: the window watches the source folder.
    bool WatchesSourceFolder() const { return !requestShown_; }
    // The search text is not empty and no name starts with it.
    bool SearchMissed() const { return searchMissed_; }
    const std::string& RequestPath() const { return requestPath_; }
    std::string_view GDTText() const { return request_.text; }
    // "Quellnetzlaufwerk ist verbunden" (and "Ziel...") once the drive was connected; else empty.
    const std::string& SourceDriveText() const { return sourceDriveText_; }
    const std::string& TargetDriveText() const { return targetDriveText_; }
    const BodyPartList& Catalogue() const { return catalogue_; }
    const BodyPartList& Added() const { return added_; }
    std::size_t AddedCount() const { return addedCount_; }
    bool OkEnabled() const { return okEnabled_; }
    // True while a confirmation runs: the window then takes no input.
    bool Busy() const { return busy_; }
    std::string WindowTitle() const;

    const std::filesystem::path& ProgramFolder() const { return programFolder_; }
    ErrorLog& Log() { return log_; }

  private:
    // Shows the state in the view: after every change, before every message and yield.
    void announce();
    void yield();
    void forgetRequest();
    void connectDrives();
    enum class Read { Shown, TooLarge, Failed };
    void showRequestAtStart();
    void showFirstRequest(const char* procedure, bool quiet);
    Read readRequest(bool quiet);
    void logLookFailure(const char* procedure, bool quiet) noexcept;
    void passOverTooLarge(const std::string& description);
    std::vector<std::string> findRequests(const char* procedure);
    void showWaitingRequest();
    std::optional<ByteBuffer> requestBytes();
    void enterWithoutBodyParts();
    OrderTransaction::Outcome writeOrders(const OrderChoice& choice, bool withoutBodyParts,
                                          OrderTransaction& order,
                                          const std::string& worklistFolder);
    void tidyWorklistFolder();
    void showNewRequest(ByteBuffer bytes);
    std::string failedMessage() const;
    void tell(const std::string& text, MessageIcon icon = MessageIcon::None);

    std::filesystem::path programFolder_;
    ErrorLog& log_;
    OperatorChannel& op_;
    DriveConnector connectDrive_;
    SessionView* view_ = nullptr;
    SessionChange pending_;
    AccessionCounter counter_;

    AppSettings settings_;
    std::array<std::string, kModalityCount> captions_;
    int checkedModality_ = -1;
    std::string modalityName_;       // taken at confirmation, kept between attempts
    int modalityIndex_ = -1;         // likewise: which button, for its worklist settings
    bool withoutBodyParts_ = false;  // likewise
    std::string requestPath_;
    PatientRequest request_;              // the request shown, parsed; empty when none
    bool requestShown_ = false;           // the operator has seen the request at requestPath_
    std::string notice_;                  // see RequestNotice()
    std::string catalogueNotice_;         // see CatalogueNotice()
    std::string takeOverMessage_;         // told once after the fill
    bool looking_ = false;                // a request search is under way
    std::string lastLookFailure_;         // logged by the last search; the watch does not repeat it
    std::set<std::string> skippedNames_;  // entries that are no request, logged once each
    std::set<std::string> toldTooLarge_;  // files too large to be a request, told once each
    std::string sourceDriveText_;
    std::string targetDriveText_;
    BodyPartList catalogue_;
    BodyPartList added_;
    NameSearch search_;
    bool searchMatched_ = false;
    bool searchMissed_ = false;
    std::size_t addedCount_ = 0;
    bool okEnabled_ = false;
    bool busy_ = false;
};

}  // namespace morvik
