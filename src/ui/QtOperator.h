#pragma once

#include "base/Operator.h"

namespace morvik {

// Message boxes and event processing on the real window system.
class QtOperator final : public Operator {
  public:
    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    void ProcessEvents() override;
};

}  // namespace morvik
