#pragma once
#include "support/Fakes.h"

namespace morvik::test {
inline std::vector<std::string> MessageLines(const RecordingOperator& op) { return op.Lines(); }
}  // namespace morvik::test
