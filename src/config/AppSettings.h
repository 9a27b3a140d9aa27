#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "gdt/OrderWriter.h"

namespace morvik {

class ErrorLog;

inline constexpr int kModalityCount = 6;
inline constexpr const char* kSettingsSection = "GDTService";
// The DICOM worklist's keys: a section of its own, so that programs reading GDTService from the
// same file meet nothing new.
inline constexpr const char* kWorklistSection = "Worklist";

// Everything Settings.ini holds, section GDTService, for the life of the program. Before it is
// loaded every text is empty and every truth value false. The keys, defaults and stored forms
// are in one table (SettingsTable.h); the comments name each member's key.
struct AppSettings {
    std::array<std::string, kModalityCount> modalityNames;  // Modalitaet0..5: button captions
    std::array<bool, kModalityCount> withoutBodyParts{};    // Bodypart0..5
    std::string sourceFolder;                               // GDTQuell: where requests arrive
    std::string targetFolder;                               // GDTZiel: where orders go
    std::string requestSuffix;                              // Suffix: how a request's name ends
    std::string sourceDrive;         // QuellBuchstabe: drive letter of the source share
    std::string targetDrive;         // ZielBuchstabe
    std::string commentField;        // CommentField: field identifier of the comment
    bool konica = false;             // Konica
    bool drFactory = false;          // Factory
    bool carestream = false;         // Carestream
    bool accession = false;          // Acc: orders carry an accession number
    std::string accessionPrefix;     // AccNum
    bool connectSource = false;      // QuellNetz: connect the source share at start
    bool connectTarget = false;      // ZielNetz
    bool oneFilePerPatient = false;  // OneGDT
    std::string initials;            // Kuerzel: the operator's initials

    // Section Worklist.
    bool worklistEnabled = false;  // Aktiv: every order file gets its worklist item
    std::string worklistFolder;    // Ordner: where the items go (the server's AE title folder)
    std::array<std::string, kModalityCount> worklistModalityCodes;    // DicomModalitaet0..5
    std::array<std::string, kModalityCount> worklistStationAETitles;  // StationAE0..5
    std::string worklistKeepDays;  // AufbewahrungTage: days an item stays (WorklistKeepDays)

    bool operator==(const AppSettings&) const = default;
};

std::filesystem::path SettingsPath(const std::filesystem::path& programFolder);

// "Scan", "Röntgen", then "Modalität 3" to "Modalität 6".
std::string DefaultModalityName(int index);

// A stored truth value, read as VB converts a text: a number (blanks around it allowed; decimal
// with "." and an exponent, or &H hexadecimal, &O octal) is false for zero and true otherwise;
// True and False count in any letter case. Anything else, the empty text included, throws
// AppError 13 (type mismatch).
bool ToBool(std::string_view text);

// Reads every key of the table, in its order, with its default. A truth value that cannot be
// converted is logged under "Form_Load" and takes its key's default; the other keys are still read,
// so one mistyped line cannot empty the folders and modality captions.
AppSettings LoadAppSettings(const std::filesystem::path& programFolder, ErrorLog& log);

// Writes every key the options dialog edits, in the dialog's order and stored forms, in one
// go. The section Worklist is written only when the worklist is on or the file has the section
// already: the file of a practice that never turned it on stays as it was. Throws AppError when
// the file cannot be written.
void SaveOptionSettings(const AppSettings& settings, const std::filesystem::path& programFolder);

// Days as the setting AufbewahrungTage holds them: a whole number from 1 to 3650 (blanks around
// it allowed), else nullopt.
std::optional<int> KeepDaysOf(std::string_view text);
// The days a worklist item stays: the setting when KeepDaysOf takes it, else 7.
int WorklistKeepDays(const AppSettings& settings);

// The part of the settings that shapes the order files.
OrderFormat OrderFormatOf(const AppSettings& settings);

// Writes the initials back, also when empty. Throws AppError when the file cannot be written.
void SaveInitials(std::string_view initials, const std::filesystem::path& programFolder);

}  // namespace morvik
