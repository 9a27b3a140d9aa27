#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "base/FolderPicker.h"
#include "support/RecordingOperator.h"

namespace morvik::test {

// Answers the folder picker with a prepared result, or fails like a broken shell would.
class FakePicker final : public FolderPicker {
  public:
    std::string BrowseForFolder(const std::string& title) override {
        titles.push_back(title);
        if (fail) throw std::runtime_error("Ordnerauswahl nicht verfügbar");
        return answer;
    }

    std::string answer;
    bool fail = false;
    std::vector<std::string> titles;
};

// The recorded message boxes as "title | icon | text", for comparing whole lists.
inline std::vector<std::string> MessageLines(const RecordingOperator& op) {
    std::vector<std::string> lines;
    for (const auto& m : op.messages) {
        const char* icon = m.icon == MessageIcon::Warning       ? "warning"
                           : m.icon == MessageIcon::Information ? "information"
                                                                : "no icon";
        lines.push_back(m.title + " | " + icon + " | " + m.text);
    }
    return lines;
}

}  // namespace morvik::test
