#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/FolderPicker.h"
#include "base/OperatorChannel.h"

namespace morvik::test {

// Records the message boxes instead of showing them; ProcessEvents and ShowMessage can run a
// test's hook to inject something in the middle of long work or while the operator reads.
class RecordingOperator final : public OperatorChannel {
  public:
    struct Message {
        std::string text;
        std::string title;
        MessageIcon icon;
    };

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
        if (onMessage) onMessage(text);
    }
    void ProcessEvents() override {
        ++yields;
        if (onYield) onYield(yields);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages) texts.push_back(m.text);
        return texts;
    }
    // The message boxes as "title | icon | text", for comparing whole lists.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& m : messages) {
            const char* icon = m.icon == MessageIcon::Warning       ? "warning"
                               : m.icon == MessageIcon::Information ? "information"
                                                                    : "no icon";
            lines.push_back(m.title + " | " + icon + " | " + m.text);
        }
        return lines;
    }

    std::vector<Message> messages;
    int yields = 0;
    std::function<void(int)> onYield;
    std::function<void(const std::string&)> onMessage;  // while the message is shown
};

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

}  // namespace morvik::test
