#include "config/SettingsTable.h"

#include <algorithm>

namespace morvik {

namespace {

using Kind = Setting::Kind;

Setting text(const char* key, const char* def, int saveOrder, std::string AppSettings::*member) {
    Setting row{.key = key, .kind = Kind::Text, .defaultValue = def, .saveOrder = saveOrder};
    row.text = member;
    return row;
}

Setting truth(const char* key, bool def, int saveOrder, bool AppSettings::*member) {
    Setting row{.key = key, .kind = Kind::Truth, .defaultValue = def ? "1" : "0"};
    row.saveOrder = saveOrder;
    row.truth = member;
    return row;
}

Setting listText(std::string key, std::string def, int saveOrder,
                 std::array<std::string, kModalityCount> AppSettings::*list, int index) {
    Setting row{.key = std::move(key), .kind = Kind::Text, .defaultValue = std::move(def)};
    row.saveOrder = saveOrder;
    row.textList = list;
    row.modality = index;
    return row;
}

Setting inWorklist(Setting row) {
    row.section = kWorklistSection;
    return row;
}

// The DICOM modality code a button starts with: its default caption's kind.
std::string defaultModalityCode(int index) {
    return index == 0 ? "OT" : index == 1 ? "CR" : "";
}

std::vector<Setting> makeTable() {
    std::vector<Setting> rows;
    // The dialog writes each modality's caption and its box together, first of all.
    for (int i = 0; i < kModalityCount; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back(listText("Modalitaet" + n, DefaultModalityName(i), 2 * i + 1,
                                &AppSettings::modalityNames, i));
        Setting box{.key = "Bodypart" + n, .kind = Kind::Truth, .defaultValue = i == 0 ? "1" : "0"};
        box.saveOrder = 2 * i + 2;
        box.truthList = &AppSettings::withoutBodyParts;
        box.modality = i;
        rows.push_back(box);
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
    // Section Worklist, after everything of GDTService.
    constexpr int w = k + 15;
    rows.push_back(inWorklist(truth("Aktiv", false, w, &AppSettings::worklistEnabled)));
    rows.push_back(inWorklist(text("Ordner", "", w + 1, &AppSettings::worklistFolder)));
    for (int i = 0; i < kModalityCount; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back(inWorklist(listText("DicomModalitaet" + n, defaultModalityCode(i),
                                           w + 2 + 2 * i, &AppSettings::worklistModalityCodes, i)));
        rows.push_back(inWorklist(listText("StationAE" + n, "", w + 3 + 2 * i,
                                           &AppSettings::worklistStationAETitles, i)));
    }
    rows.push_back(inWorklist(
        text("AufbewahrungTage", "7", w + 2 + 2 * kModalityCount, &AppSettings::worklistKeepDays)));
    return rows;
}

}  // namespace

std::string& Setting::Text(AppSettings& settings) const {
    return textList ? (settings.*textList).at(static_cast<std::size_t>(modality)) : settings.*text;
}

const std::string& Setting::Text(const AppSettings& settings) const {
    return textList ? (settings.*textList).at(static_cast<std::size_t>(modality)) : settings.*text;
}

bool& Setting::Truth(AppSettings& settings) const {
    return truthList ? (settings.*truthList).at(static_cast<std::size_t>(modality))
                     : settings.*truth;
}

bool Setting::Truth(const AppSettings& settings) const {
    return truthList ? (settings.*truthList).at(static_cast<std::size_t>(modality))
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
