#include "config/SettingsTable.h"

#include <algorithm>

namespace morvik {

namespace {

using Kind = Setting::Kind;

Setting text(const char* key, const char* def, int saveOrder, std::string AppSettings::*member) {
    return Setting{key, Kind::Text, def, saveOrder, member, nullptr, -1};
}

Setting truth(const char* key, bool def, int saveOrder, bool AppSettings::*member) {
    return Setting{key, Kind::Truth, def ? "1" : "0", saveOrder, nullptr, member, -1};
}

std::vector<Setting> makeTable() {
    std::vector<Setting> rows;
    // The dialog writes each modality's caption and its box together, first of all.
    for (int i = 0; i < kModalityCount; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back(Setting{"Modalitaet" + n, Kind::Text, DefaultModalityName(i), 2 * i + 1,
                               nullptr, nullptr, i});
        rows.push_back(Setting{"Bodypart" + n, Kind::Truth, i == 0 ? "1" : "0", 2 * i + 2, nullptr,
                               nullptr, i});
    }
    constexpr int k = 2 * kModalityCount;
    rows.push_back(text("GDTQuell", "", k + 1, &AppSettings::sourceFolder));
    rows.push_back(text("GDTZiel", "", k + 2, &AppSettings::targetFolder));
    rows.push_back(text("Suffix", "gdt", k + 3, &AppSettings::requestSuffix));
    rows.push_back(truth("Konica", false, k + 7, &AppSettings::konica));
    rows.push_back(truth("Factory", false, k + 8, &AppSettings::drFactory));
    rows.push_back(truth("Carestream", false, k + 9, &AppSettings::carestream));
    rows.push_back(truth("Acc", false, k + 10, &AppSettings::accession));
    rows.push_back(text("AccNum", "", k + 11, &AppSettings::accessionPrefix));
    rows.push_back(text("Kuerzel", "", 0, &AppSettings::initials));  // the main window's
    rows.push_back(truth("OneGDT", false, k + 14, &AppSettings::oneFilePerPatient));
    rows.push_back(truth("QuellNetz", false, k + 12, &AppSettings::connectSource));
    rows.push_back(truth("ZielNetz", false, k + 13, &AppSettings::connectTarget));
    rows.push_back(text("QuellBuchstabe", "", k + 4, &AppSettings::sourceDrive));
    rows.push_back(text("ZielBuchstabe", "", k + 5, &AppSettings::targetDrive));
    rows.push_back(text("CommentField", "6227", k + 6, &AppSettings::commentField));
    return rows;
}

}  // namespace

std::string& Setting::Text(AppSettings& settings) const {
    return modality >= 0 ? settings.modalityNames.at(static_cast<std::size_t>(modality))
                         : settings.*text;
}

const std::string& Setting::Text(const AppSettings& settings) const {
    return modality >= 0 ? settings.modalityNames.at(static_cast<std::size_t>(modality))
                         : settings.*text;
}

bool& Setting::Truth(AppSettings& settings) const {
    return modality >= 0 ? settings.withoutBodyParts.at(static_cast<std::size_t>(modality))
                         : settings.*truth;
}

bool Setting::Truth(const AppSettings& settings) const {
    return modality >= 0 ? settings.withoutBodyParts.at(static_cast<std::size_t>(modality))
                         : settings.*truth;
}

const std::vector<Setting>& SettingsTable() {
    static const std::vector<Setting> table = makeTable();
    return table;
}

std::vector<const Setting*> OptionSettings() {
    std::vector<const Setting*> rows;
    for (const Setting& row : SettingsTable()) {
        if (row.saveOrder > 0) rows.push_back(&row);
    }
    std::sort(rows.begin(), rows.end(),
              [](const Setting* a, const Setting* b) { return a->saveOrder < b->saveOrder; });
    return rows;
}

}  // namespace morvik
