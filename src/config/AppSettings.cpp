#include "config/AppSettings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "config/IniFile.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"

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
    const auto file = SettingsPath(programFolder);
    auto text = [&](const char* key, std::string_view def) {
        return ReadINI(kSettingsSection, key, def, file);
    };
    auto truth = [&](const std::string& key, bool def) {
        bool value = def;
        trap(log, "Form_Load",
             [&] { value = ToBool(ReadINI(kSettingsSection, key, def ? "1" : "0", file)); });
        return value;
    };

    AppSettings s;
    for (int i = 0; i < kModalityCount; ++i) {
        s.Modalitaet[i] = text(("Modalitaet" + std::to_string(i)).c_str(), DefaultModalityName(i));
        s.Bodypart[i] = truth("Bodypart" + std::to_string(i), i == 0);
    }
    s.GDTQuell = text("GDTQuell", "");
    s.GDTZiel = text("GDTZiel", "");
    s.Suffix = text("Suffix", "gdt");
    s.Konica = truth("Konica", false);
    s.Factory = truth("Factory", false);
    s.Carestream = truth("Carestream", false);
    s.Acc = truth("Acc", false);
    s.AccNum = text("AccNum", "");
    s.Kuerzel = text("Kuerzel", "");
    s.OneGDT = truth("OneGDT", false);
    s.QuellNetz = truth("QuellNetz", false);
    s.ZielNetz = truth("ZielNetz", false);
    s.QuellBuchstabe = text("QuellBuchstabe", "");
    s.ZielBuchstabe = text("ZielBuchstabe", "");
    s.CommentField = text("CommentField", "6227");
    return s;
}

void SaveOptionSettings(const AppSettings& s, const std::filesystem::path& programFolder) {
    IniValues values;
    for (int i = 0; i < kModalityCount; ++i) {
        values.emplace_back("Modalitaet" + std::to_string(i), s.Modalitaet[i]);
        values.emplace_back("Bodypart" + std::to_string(i), boolText(s.Bodypart[i]));
    }
    values.emplace_back("GDTQuell", s.GDTQuell);
    values.emplace_back("GDTZiel", s.GDTZiel);
    values.emplace_back("Suffix", s.Suffix);
    values.emplace_back("QuellBuchstabe", s.QuellBuchstabe);
    values.emplace_back("ZielBuchstabe", s.ZielBuchstabe);
    values.emplace_back("CommentField", s.CommentField);
    values.emplace_back("Konica", boolText(s.Konica));
    values.emplace_back("Factory", boolText(s.Factory));
    values.emplace_back("Carestream", boolText(s.Carestream));  // the check box state: 1 or 0
    values.emplace_back("Acc", boolText(s.Acc));
    values.emplace_back("AccNum", s.AccNum);
    values.emplace_back("QuellNetz", boolText(s.QuellNetz));
    values.emplace_back("ZielNetz", boolText(s.ZielNetz));
    values.emplace_back("OneGDT", boolText(s.OneGDT));
    WriteINI(kSettingsSection, values, SettingsPath(programFolder));
}

void SaveKuerzel(std::string_view kuerzel, const std::filesystem::path& programFolder) {
    WriteINI(kSettingsSection, "Kuerzel", kuerzel, SettingsPath(programFolder));
}

OrderFormat OrderFormatOf(const AppSettings& s) {
    OrderFormat f;
    f.konica = s.Konica;
    f.factory = s.Factory;
    f.carestream = s.Carestream;
    f.accession = s.Acc;
    f.accessionPrefix = s.AccNum;
    f.commentField = s.CommentField;
    f.targetFolder = s.GDTZiel;
    return f;
}

}  // namespace morvik
