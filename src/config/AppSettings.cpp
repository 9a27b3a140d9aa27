#include "config/AppSettings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "config/IniFile.h"
#include "config/SettingsTable.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"

namespace morvik {

namespace {

const char* boolText(bool value) {
    return value ? "1" : "0";
}

// Whether a text VB reads as a number is not zero; nullopt for any other text. Only forms that
// give the same answer on a German and an English Windows: a decimal number with "." and an
// exponent ("-1.5", "1E+3"), or a whole number of up to 32 bits in hexadecimal ("&H10") or octal
// ("&O7").
std::optional<bool> nonZeroNumber(std::string_view t) {
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h' || t[1] == 'O' || t[1] == 'o')) {
        std::uint64_t value = 0;
        const char* end = t.data() + t.size();
        int base = (t[1] == 'H' || t[1] == 'h') ? 16 : 8;
        auto [stop, ec] = std::from_chars(t.data() + 2, end, value, base);
        if (ec != std::errc() || stop != end || value > 0xFFFFFFFF) return std::nullopt;
        return value != 0;
    }
    std::string_view number = t;
    if (!number.empty() && (number[0] == '+' || number[0] == '-')) number.remove_prefix(1);
    std::size_t exponent = number.find_first_of("eE");
    std::string_view mantissa = number.substr(0, exponent);
    if (mantissa.empty() || mantissa[0] < '0' || mantissa[0] > '9' ||
        mantissa.find_first_not_of("0123456789.") != std::string_view::npos ||
        std::count(mantissa.begin(), mantissa.end(), '.') > 1) {
        return std::nullopt;
    }
    if (exponent != std::string_view::npos) {
        std::string_view power = number.substr(exponent + 1);
        if (!power.empty() && (power[0] == '+' || power[0] == '-')) power.remove_prefix(1);
        if (power.empty() || power.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
    }
    // from_chars ignores the locale; a number too large or too small for a Double overflows.
    double value = 0;
    auto [stop, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || stop != number.data() + number.size()) return std::nullopt;
    return value != 0.0;
}

}  // namespace

std::filesystem::path SettingsPath(const std::filesystem::path& programFolder) {
    return programFolder / "Settings.ini";
}

std::string DefaultModalityName(int index) {
    if (index == 0) return "Scan";
    if (index == 1) return "Röntgen";
    return "Modalität " + std::to_string(index + 1);
}

bool ToBool(std::string_view text) {
    std::string_view t = TrimBlanks(text, " \t\n\v\f\r");
    if (SameIgnoringCase(t, "true")) return true;
    if (SameIgnoringCase(t, "false")) return false;
    if (auto number = nonZeroNumber(t)) return *number;
    throw AppError(err::TypeMismatch,
                   "Typen unverträglich: \"" + std::string(text) + "\" ist kein Wahrheitswert");
}

AppSettings LoadAppSettings(const std::filesystem::path& programFolder, ErrorLog& log) {
    // Read once: the file is shared over the network, and every key read anew would open it again.
    const IniFileText file(SettingsPath(programFolder));
    AppSettings s;
    for (const Setting& row : SettingsTable()) {
        if (row.kind == Setting::Kind::Text) {
            row.Text(s) = file.Read(row.section, row.key, row.defaultValue);
            continue;
        }
        bool& value = row.Truth(s);
        value = row.defaultValue == "1";
        trap(log, trapname::MainWindowLoad,
             [&] { value = ToBool(file.Read(row.section, row.key, row.defaultValue)); });
    }
    return s;
}

void SaveOptionSettings(const AppSettings& s, const std::filesystem::path& programFolder) {
    const std::filesystem::path file = SettingsPath(programFolder);
    const bool worklist = s.worklistEnabled || IniFileText(file).HasSection(kWorklistSection);
    IniSections sections{{kSettingsSection, {}}, {kWorklistSection, {}}};
    for (const Setting* row : OptionSettings()) {
        // A truth value is stored as the check box state: 1 or 0.
        sections[row->section == kSettingsSection ? 0 : 1].second.emplace_back(
            row->key, row->kind == Setting::Kind::Text ? row->Text(s) : boolText(row->Truth(s)));
    }
    if (!worklist) sections.pop_back();
    WriteINI(sections, file);
}

std::optional<int> KeepDaysOf(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != text.npos) {
        return std::nullopt;
    }
    const int days = std::stoi(std::string(text));
    if (days < 1 || days > 3650) return std::nullopt;
    return days;
}

int WorklistKeepDays(const AppSettings& s) {
    return KeepDaysOf(s.worklistKeepDays).value_or(7);
}

void SaveInitials(std::string_view initials, const std::filesystem::path& programFolder) {
    WriteINI(kSettingsSection, "Kuerzel", initials, SettingsPath(programFolder));
}

OrderFormat OrderFormatOf(const AppSettings& s) {
    OrderFormat f;
    f.konica = s.konica;
    f.factory = s.drFactory;
    f.carestream = s.carestream;
    f.accession = s.accession;
    f.accessionPrefix = s.accessionPrefix;
    f.commentField = s.commentField;
    f.targetFolder = s.targetFolder;
    return f;
}

}  // namespace morvik
