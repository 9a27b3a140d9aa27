#pragma once

#include "base/OperatorChannel.h"

namespace morvik {

// Message boxes and event processing on the real window system.
class QtOperatorChannel final : public OperatorChannel {
  public:
    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    void ProcessEvents() override;
};

}  // namespace morvik
