#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/FolderPicker.h"
#include "base/Operator.h"
#include "config/AppSettings.h"

namespace morvik {

class ErrorLog;

// What the options dialog shows: one member per element, named as the element.
struct OptionsForm {
    std::array<std::string, kModalityCount> txtButton;
    std::array<bool, kModalityCount> chkBodypart{};
    std::string txtQuell;
    std::string txtQuellBuchstabe;
    std::string txtZiel;
    std::string txtZielBuchstabe;
    std::string txtSuffix;
    std::string txtAcc;
    std::string txtCommentField;
    bool chkQuellNetz = false;
    bool chkZielNetz = false;
    bool chkAcc = false;
    bool chkKonica = false;
    bool chkFactory = false;
    bool chkCarestream = false;
    bool chkOneGDT = false;
    bool txtQuellBuchstabeEnabled = true;
    bool txtZielBuchstabeEnabled = true;
};

using OptionsText = std::string OptionsForm::*;
using OptionsBox = bool OptionsForm::*;

inline constexpr const char* kFolderPickerTitle = "Bitte wählen Sie einen Ordner...";
inline constexpr const char* kAccessionMissing = "Bitte geben Sie eine Accession Number ein";
inline constexpr const char* kOptionsNotSaved =
    "Die Einstellungen konnten nicht gespeichert werden.";

// The options dialog without its drawing: the edits, the rules between the check boxes, the
// loading from AppSettings and the saving back. The dialog lives only while it is shown, and so
// does its model: dropping it without cmdOK_Click discards every edit.
class OptionsModel {
  public:
    using CaptionSetter = std::function<void(int index, const std::string& caption)>;

    OptionsModel(AppSettings& settings, std::filesystem::path programFolder, ErrorLog& log,
                 Operator& op, FolderPicker& picker, CaptionSetter setModalityCaption);

    // Fills the form from AppSettings (not from the file). The check-box rules run while the
    // boxes are set, so a combination they forbid shows resolved, the later box winning.
    void Form_Load();

    const OptionsForm& Form() const { return form_; }

    // Typed text. CR and LF become blanks, and a drive letter keeps one character.
    void SetButtonText(int index, std::string_view text);
    void SetText(OptionsText field, std::string_view text);
    void SetBodypart(int index, bool checked);
    // A check box changed; its rule runs when the value really changes.
    void SetChecked(OptionsBox box, bool checked);

    void cmdQuell_Click();
    void cmdZiel_Click();

    // Validates, writes Settings.ini, and only then copies into AppSettings and renames the
    // modality buttons. True when the dialog is to close; false keeps it open with its edits.
    bool cmdOK_Click();

  private:
    void browse(const char* procedure, OptionsText field);
    void copyInto(AppSettings& settings) const;

    AppSettings& settings_;
    std::filesystem::path programFolder_;
    ErrorLog& log_;
    Operator& op_;
    FolderPicker& picker_;
    CaptionSetter setModalityCaption_;
    OptionsForm form_;
};

}  // namespace morvik
