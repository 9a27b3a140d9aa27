#include "app/OptionsModel.h"

#include <algorithm>

#include "base/Text.h"
#include "config/SettingsTable.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"

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

// A DICOM code string (the modality) or AE title a device must be able to match: ISO 646
// letters, digits, blank and underscore for the code, no backslash or control character for the
// title, each at most 16 characters.
bool isModalityCode(std::string_view text) {
    return !text.empty() && text.size() <= 16 &&
           text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == text.npos;
}

bool isAETitle(std::string_view text) {
    if (text.size() > 16) return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c >= ' ' && c <= '~' && c != '\\'; });
}

// What keeps the worklist settings from being saved, for the operator; empty when nothing. The
// codes and titles of every button are checked, on or off, so that none waits to surprise later.
std::string worklistProblem(const AppSettings& s) {
    if (s.worklistEnabled && TrimBlanks(s.worklistFolder).empty()) return kWorklistFolderMissing;
    for (int i = 0; i < kModalityCount; ++i) {
        const std::string& code = s.worklistModalityCodes[static_cast<std::size_t>(i)];
        const std::string& title = s.worklistStationAETitles[static_cast<std::size_t>(i)];
        const std::string button = "Modalität " + std::to_string(i + 1) + " (" +
                                   s.modalityNames[static_cast<std::size_t>(i)] + ")";
        if (!code.empty() && !isModalityCode(code)) {
            return "Der DICOM-Modalitätscode von " + button +
                   " darf nur aus Großbuchstaben, Ziffern und _ bestehen (höchstens 16 Zeichen, "
                   "z. B. CR, DX, US).";
        }
        if (!isAETitle(title)) {
            return "Der AE-Titel des Geräts von " + button +
                   " darf höchstens 16 Zeichen ohne Umlaute und ohne \\ haben.";
        }
    }
    if (!KeepDaysOf(s.worklistKeepDays)) return kWorklistKeepDaysInvalid;
    return {};
}

}  // namespace

OptionsModel::OptionsModel(AppSettings& settings, std::filesystem::path programFolder,
                           ErrorLog& log, OperatorChannel& op, FolderPicker& picker,
                           CaptionSetter setModalityCaption)
    : settings_(settings),
      programFolder_(std::move(programFolder)),
      log_(log),
      op_(op),
      picker_(picker),
      setModalityCaption_(std::move(setModalityCaption)) {}

void OptionsModel::Load() {
    trap(log_, trapname::OptionsLoad, [&] {
        const AppSettings& s = settings_;
        form_ = OptionsForm{};
        for (const Setting& row : SettingsTable()) {
            if (row.saveOrder == 0) continue;  // not the dialog's
            if (row.kind == Setting::Kind::Text && row.textList) {
                row.Text(form_.values) = oneLine(row.Text(s));
            } else if (row.kind == Setting::Kind::Text) {
                SetText(row.text, row.Text(s));
            } else if (row.truthList) {
                row.Truth(form_.values) = row.Truth(s);
            } else {
                SetChecked(row.truth, row.Truth(s));
            }
        }
    });
}

void OptionsModel::SetModalityName(int index, std::string_view text) {
    form_.values.modalityNames.at(static_cast<std::size_t>(index)) = oneLine(text);
}

void OptionsModel::SetWorklistModalityCode(int index, std::string_view text) {
    form_.values.worklistModalityCodes.at(static_cast<std::size_t>(index)) = oneLine(text);
}

void OptionsModel::SetWorklistStationAETitle(int index, std::string_view text) {
    form_.values.worklistStationAETitles.at(static_cast<std::size_t>(index)) = oneLine(text);
}

void OptionsModel::SetText(OptionsText field, std::string_view text) {
    std::string value = oneLine(text);
    if (field == &AppSettings::sourceDrive || field == &AppSettings::targetDrive) {
        value = firstCharacter(value);
    }
    form_.values.*field = std::move(value);
}

void OptionsModel::SetWithoutBodyParts(int index, bool checked) {
    form_.values.withoutBodyParts.at(static_cast<std::size_t>(index)) = checked;
}

void OptionsModel::SetChecked(OptionsBox box, bool checked) {
    if (form_.values.*box == checked) return;
    form_.values.*box = checked;

    using S = AppSettings;
    if (box == &S::drFactory) {
        if (checked) SetChecked(&S::konica, false);
    } else if (box == &S::konica) {
        // Konica orders exclude the DR-Factory variant and with it the one-file mode.
        if (checked) {
            SetChecked(&S::drFactory, false);
            SetChecked(&S::oneFilePerPatient, false);
        }
    } else if (box == &S::oneFilePerPatient) {
        // One file per patient exists only for DR-Factory.
        if (checked) {
            SetChecked(&S::konica, false);
            SetChecked(&S::drFactory, true);
        }
    } else if (box == &S::connectSource) {
        form_.sourceDriveEnabled = checked;
    } else if (box == &S::connectTarget) {
        form_.targetDriveEnabled = checked;
    }
}

void OptionsModel::BrowseSourceFolder() {
    browse(trapname::BrowseSourceFolder, &AppSettings::sourceFolder);
}

void OptionsModel::BrowseTargetFolder() {
    browse(trapname::BrowseTargetFolder, &AppSettings::targetFolder);
}

void OptionsModel::BrowseWorklistFolder() {
    browse(trapname::BrowseWorklistFolder, &AppSettings::worklistFolder);
}

void OptionsModel::browse(const char* procedure, OptionsText field) {
    trap(log_, procedure, [&] {
        std::string folder = picker_.BrowseForFolder(kFolderPickerTitle);
        if (!folder.empty()) SetText(field, folder);
    });
}

bool OptionsModel::Confirm() {
    bool close = false;
    bool validated = false;
    const bool ok = trap(log_, trapname::OptionsOk, [&] {
        if (form_.values.accession && form_.values.accessionPrefix.empty()) {
            op_.ShowMessage(kAccessionMissing, kProgramName, MessageIcon::None);
            return;
        }
        if (const std::string problem = worklistProblem(form_.values); !problem.empty()) {
            op_.ShowMessage(problem, kProgramName, MessageIcon::None);
            return;
        }
        validated = true;
        // Memory and the buttons change only once the file holds the new values: after a
        // failed save, "Abbrechen" leaves the session as it was before the dialog opened.
        AppSettings edited = settings_;
        for (const Setting* row : OptionSettings()) {
            if (row->kind == Setting::Kind::Text) {
                row->Text(edited) = row->Text(form_.values);
            } else {
                row->Truth(edited) = row->Truth(form_.values);
            }
        }
        SaveOptionSettings(edited, programFolder_);
        settings_ = std::move(edited);
        if (setModalityCaption_) {
            for (int i = 0; i < kModalityCount; ++i)
                setModalityCaption_(i, settings_.modalityNames[i]);
        }
        close = true;
    });
    // A failed save must not pass unnoticed: the operator may try again or keep the old file.
    if (!ok && validated) {
        op_.ShowMessage(kOptionsNotSaved, kProgramName, MessageIcon::Warning);
    }
    return close;
}

}  // namespace morvik
