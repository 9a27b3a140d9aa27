#pragma once

#include <string>

namespace morvik {

enum class MessageIcon { None, Information, Warning };

// The program's name: the title of its message boxes.
inline constexpr const char* kProgramName = "Morvik";

// What the order session needs from the window system: telling the operator something in a
// modal message box, and letting pending window messages run during long work.
class OperatorChannel {
  public:
    virtual ~OperatorChannel() = default;
    virtual void ShowMessage(const std::string& text, const std::string& title,
                             MessageIcon icon) = 0;
    virtual void ProcessEvents() = 0;
};

}  // namespace morvik
