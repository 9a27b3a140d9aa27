#include "config/OptionsModel.h"

#include <algorithm>

#include "base/Text.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"

namespace morvik {

namespace {

// A settings value is one line of Settings.ini; keeping it single-line here as well makes
// memory, the button captions and the file agree after "OK".
std::string oneLine(std::string_view text) {
    std::string s(text);
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

// The first UTF-8 character of `s`, whole.
std::string firstCharacter(const std::string& s) {
    if (s.empty()) return s;
    return s.substr(0, std::max<std::size_t>(1, Utf8CharacterLength(s, 0)));
}

}  // namespace

OptionsModel::OptionsModel(AppSettings& settings, std::filesystem::path programFolder,
                           ErrorLog& log, Operator& op, FolderPicker& picker,
                           CaptionSetter setModalityCaption)
    : settings_(settings),
      programFolder_(std::move(programFolder)),
      log_(log),
      op_(op),
      picker_(picker),
      setModalityCaption_(std::move(setModalityCaption)) {}

void OptionsModel::Form_Load() {
    trap(log_, "Form_Load", [&] {
        const AppSettings& s = settings_;
        form_ = OptionsForm{};
        for (int i = 0; i < kModalityCount; ++i) {
            SetButtonText(i, s.Modalitaet[i]);
            SetBodypart(i, s.Bodypart[i]);
        }
        SetText(&OptionsForm::txtSuffix, s.Suffix);
        SetText(&OptionsForm::txtQuell, s.GDTQuell);
        SetText(&OptionsForm::txtZiel, s.GDTZiel);
        SetText(&OptionsForm::txtAcc, s.AccNum);
        SetText(&OptionsForm::txtQuellBuchstabe, s.QuellBuchstabe);
        SetText(&OptionsForm::txtZielBuchstabe, s.ZielBuchstabe);
        SetText(&OptionsForm::txtCommentField, s.CommentField);
        // This order decides which box wins a forbidden stored combination.
        SetChecked(&OptionsForm::chkKonica, s.Konica);
        SetChecked(&OptionsForm::chkFactory, s.Factory);
        SetChecked(&OptionsForm::chkCarestream, s.Carestream);
        SetChecked(&OptionsForm::chkAcc, s.Acc);
        SetChecked(&OptionsForm::chkQuellNetz, s.QuellNetz);
        form_.txtQuellBuchstabeEnabled = s.QuellNetz;
        SetChecked(&OptionsForm::chkZielNetz, s.ZielNetz);
        form_.txtZielBuchstabeEnabled = s.ZielNetz;
        SetChecked(&OptionsForm::chkOneGDT, s.OneGDT);
    });
}

void OptionsModel::SetButtonText(int index, std::string_view text) {
    form_.txtButton.at(static_cast<std::size_t>(index)) = oneLine(text);
}

void OptionsModel::SetText(OptionsText field, std::string_view text) {
    std::string value = oneLine(text);
    if (field == &OptionsForm::txtQuellBuchstabe || field == &OptionsForm::txtZielBuchstabe) {
        value = firstCharacter(value);
    }
    form_.*field = std::move(value);
}

void OptionsModel::SetBodypart(int index, bool checked) {
    form_.chkBodypart.at(static_cast<std::size_t>(index)) = checked;
}

void OptionsModel::SetChecked(OptionsBox box, bool checked) {
    if (form_.*box == checked) return;
    form_.*box = checked;

    if (box == &OptionsForm::chkFactory) {
        if (checked) SetChecked(&OptionsForm::chkKonica, false);
    } else if (box == &OptionsForm::chkKonica) {
        // Konica orders exclude the DR-Factory variant and with it the one-file mode.
        if (checked) {
            SetChecked(&OptionsForm::chkFactory, false);
            SetChecked(&OptionsForm::chkOneGDT, false);
        }
    } else if (box == &OptionsForm::chkOneGDT) {
        // One file per patient exists only for DR-Factory.
        if (checked) {
            SetChecked(&OptionsForm::chkKonica, false);
            SetChecked(&OptionsForm::chkFactory, true);
        }
    } else if (box == &OptionsForm::chkQuellNetz) {
        form_.txtQuellBuchstabeEnabled = checked;
    } else if (box == &OptionsForm::chkZielNetz) {
        form_.txtZielBuchstabeEnabled = checked;
    }
}

void OptionsModel::cmdQuell_Click() {
    browse("cmdQuell_Click", &OptionsForm::txtQuell);
}

void OptionsModel::cmdZiel_Click() {
    browse("cmdZiel_Click", &OptionsForm::txtZiel);
}

void OptionsModel::browse(const char* procedure, OptionsText field) {
    trap(log_, procedure, [&] {
        std::string folder = picker_.BrowseForFolder(kFolderPickerTitle);
        if (!folder.empty()) SetText(field, folder);
    });
}

bool OptionsModel::cmdOK_Click() {
    bool close = false;
    bool validated = false;
    const bool ok = trap(log_, "cmdOK_Click", [&] {
        if (form_.chkAcc && form_.txtAcc.empty()) {
            op_.ShowMessage(kAccessionMissing, kProgramName, MessageIcon::None);
            return;
        }
        validated = true;
        // Memory and the buttons change only once the file holds the new values: after a
        // failed save, "Abbrechen" leaves the session as it was before the dialog opened.
        AppSettings edited = settings_;
        copyInto(edited);
        SaveOptionSettings(edited, programFolder_);
        settings_ = std::move(edited);
        if (setModalityCaption_) {
            for (int i = 0; i < kModalityCount; ++i)
                setModalityCaption_(i, settings_.Modalitaet[i]);
        }
        close = true;
    });
    // A failed save must not pass unnoticed: the operator may try again or keep the old file.
    if (!ok && validated) {
        op_.ShowMessage(kOptionsNotSaved, kProgramName, MessageIcon::Warning);
    }
    return close;
}

void OptionsModel::copyInto(AppSettings& s) const {
    for (int i = 0; i < kModalityCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        s.Modalitaet[at] = form_.txtButton[at];
        s.Bodypart[at] = form_.chkBodypart[at];
    }
    s.GDTQuell = form_.txtQuell;
    s.GDTZiel = form_.txtZiel;
    s.Suffix = form_.txtSuffix;
    s.Konica = form_.chkKonica;
    s.Factory = form_.chkFactory;
    s.Carestream = form_.chkCarestream;
    s.Acc = form_.chkAcc;
    s.AccNum = form_.txtAcc;
    s.OneGDT = form_.chkOneGDT;
    s.QuellNetz = form_.chkQuellNetz;
    s.ZielNetz = form_.chkZielNetz;
    s.CommentField = form_.txtCommentField;
    s.QuellBuchstabe = form_.txtQuellBuchstabe;
    s.ZielBuchstabe = form_.txtZielBuchstabe;
}

}  // namespace morvik
