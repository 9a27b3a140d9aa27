#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/FolderPicker.h"
#include "base/OperatorChannel.h"
#include "config/AppSettings.h"

namespace morvik {

class ErrorLog;

// What the options dialog shows: the settings as edited, and which drive letter boxes take
// input (each only with its network box).
struct OptionsForm {
    AppSettings values;
    bool sourceDriveEnabled = false;
    bool targetDriveEnabled = false;
};

using OptionsText = std::string AppSettings::*;
using OptionsBox = bool AppSettings::*;

inline constexpr const char* kFolderPickerTitle = "Bitte wählen Sie einen Ordner...";
inline constexpr const char* kAccessionMissing = "Bitte geben Sie eine Accession Number ein";
inline constexpr const char* kWorklistFolderMissing =
    "Bitte wählen Sie einen Worklist-Ordner oder schalten Sie die Worklist aus.";
inline constexpr const char* kWorklistKeepDaysInvalid =
    "Bitte geben Sie an, wie viele Tage Worklist-Einträge aufbewahrt werden (1 bis 3650).";
inline constexpr const char* kOptionsNotSaved =
    "Die Einstellungen konnten nicht gespeichert werden.";

// The options dialog without its drawing: the edits, the rules between the check boxes, the
// loading from AppSettings and the saving back. The dialog lives only while it is shown, and so
// does its model: dropping it without Confirm discards every edit.
class OptionsModel {
  public:
    using CaptionSetter = std::function<void(int index, const std::string& caption)>;

    OptionsModel(AppSettings& settings, std::filesystem::path programFolder, ErrorLog& log,
                 OperatorChannel& op, FolderPicker& picker, CaptionSetter setModalityCaption);

    // Fills the form from AppSettings (not from the file), key by key in the table's order. The
    // check-box rules run while the boxes are set, so a combination they forbid shows resolved,
    // the later box winning.
    void Load();

    const OptionsForm& Form() const { return form_; }

    // Typed text. CR and LF become blanks, and a drive letter keeps one character.
    void SetModalityName(int index, std::string_view text);
    void SetText(OptionsText field, std::string_view text);
    void SetWithoutBodyParts(int index, bool checked);
    // The worklist's DICOM modality code and station AE title of a modality button.
    void SetWorklistModalityCode(int index, std::string_view text);
    void SetWorklistStationAETitle(int index, std::string_view text);
    // A check box changed; its rule runs when the value really changes.
    void SetChecked(OptionsBox box, bool checked);

    // The folder buttons (logged as "cmdQuell_Click" and "cmdZiel_Click").
    void BrowseSourceFolder();
    void BrowseTargetFolder();
    void BrowseWorklistFolder();  // logged as "cmdWorklist_Click"

    // "OK" (logged as "cmdOK_Click"): validates, writes Settings.ini, and only then copies into
    // AppSettings and renames the modality buttons. True when the dialog is to close; false
    // keeps it open with its edits.
    bool Confirm();

  private:
    void browse(const char* procedure, OptionsText field);

    AppSettings& settings_;
    std::filesystem::path programFolder_;
    ErrorLog& log_;
    OperatorChannel& op_;
    FolderPicker& picker_;
    CaptionSetter setModalityCaption_;
    OptionsForm form_;
};

}  // namespace morvik
