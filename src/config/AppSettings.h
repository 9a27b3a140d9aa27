#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "gdt/OrderWriter.h"

namespace morvik {

class ErrorLog;

inline constexpr int kModalityCount = 6;
inline constexpr const char* kSettingsSection = "GDTService";

// Everything Settings.ini holds, section GDTService, for the life of the program. Before it is
// loaded every text is empty and every truth value false.
struct AppSettings {
    std::array<std::string, kModalityCount> Modalitaet;  // button captions, modality of an order
    std::array<bool, kModalityCount> Bodypart{};         // true: ordered without body parts
    std::string GDTQuell;                                // source folder of the requests
    std::string GDTZiel;                                 // target folder of the orders
    std::string Suffix;                                  // last three characters of a request name
    bool Konica = false;
    bool Factory = false;
    bool Carestream = false;
    bool Acc = false;     // orders carry an accession number
    std::string AccNum;   // its prefix
    std::string Kuerzel;  // the operator's initials
    bool OneGDT = false;  // one order file per patient
    bool QuellNetz = false;
    bool ZielNetz = false;
    std::string QuellBuchstabe;
    std::string ZielBuchstabe;
    std::string CommentField;  // field identifier of the comment

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

// Reads every key in the fixed order with its default. A truth value that cannot be converted
// is logged under "Form_Load" and takes its key's default; the other keys are still read, so one
// mistyped line cannot empty the folders and modality captions.
AppSettings LoadAppSettings(const std::filesystem::path& programFolder, ErrorLog& log);

// Writes every key the options dialog edits, in the dialog's order and stored forms, in one
// go. Throws AppError when the file cannot be written.
void SaveOptionSettings(const AppSettings& settings, const std::filesystem::path& programFolder);

// The part of the settings that shapes the order files.
OrderFormat OrderFormatOf(const AppSettings& settings);

// Writes the initials back, also when empty. Throws AppError when the file cannot be written.
void SaveKuerzel(std::string_view kuerzel, const std::filesystem::path& programFolder);

}  // namespace morvik
