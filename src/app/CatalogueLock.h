#pragma once

#include <string_view>

#include "base/OperatorChannel.h"

namespace morvik {

inline constexpr const char* kLoginTitle = "Anmeldung";
inline constexpr const char* kWrongPassword =
    "Ungültiges Kennwort. Bitte versuchen Sie es noch einmal!";

// The password prompt in front of the catalogue visibility dialog. The typed text must equal
// the fixed password exactly: letter case counts and nothing is trimmed. A wrong one is
// answered with a message and may be tried again without limit; nothing is logged or counted.
// True when the prompt is to close and the visibility dialog to open.
bool UnlockCatalogue(std::string_view typed, OperatorChannel& op);

}  // namespace morvik
