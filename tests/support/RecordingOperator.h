#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Operator.h"

namespace morvik::test {

// Records the message boxes instead of showing them; ProcessEvents can run a test's hook to
// inject something in the middle of long work.
class RecordingOperator final : public Operator {
  public:
    struct Message {
        std::string text;
        std::string title;
        MessageIcon icon;
    };

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
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

    std::vector<Message> messages;
    int yields = 0;
    std::function<void(int)> onYield;
};

}  // namespace morvik::test
