#pragma once

#include <string>
#include <vector>

#include "config/AppSettings.h"

namespace morvik {

// One key of Settings.ini: its stored default and the member of AppSettings it fills. Reading,
// writing and the options dialog all walk this one table, so a new setting is one row here.
struct Setting {
    enum class Kind { Text, Truth };

    std::string section = kSettingsSection;
    std::string key;
    Kind kind = Kind::Text;
    std::string defaultValue;  // as stored: "1" or "0" for a truth value
    // Where the options dialog writes the key among the others (a new file shows them in this
    // order); 0: the dialog does not write it.
    int saveOrder = 0;
    // The member: a plain one, or entry `modality` of a list with one entry per modality button
    // (modalityNames, withoutBodyParts, the worklist's codes and station AE titles).
    std::string AppSettings::*text = nullptr;
    bool AppSettings::*truth = nullptr;
    std::array<std::string, kModalityCount> AppSettings::*textList = nullptr;
    std::array<bool, kModalityCount> AppSettings::*truthList = nullptr;
    int modality = -1;

    std::string& Text(AppSettings& settings) const;
    const std::string& Text(const AppSettings& settings) const;
    bool& Truth(AppSettings& settings) const;
    bool Truth(const AppSettings& settings) const;
};

// Every key, in the order it is read. Truth values are read in this order, so that the log
// names a mistyped one in the same place whatever else is wrong.
const std::vector<Setting>& SettingsTable();

// The keys the options dialog writes, in its order.
std::vector<const Setting*> OptionSettings();

}  // namespace morvik
