#pragma once

#include <QStringList>
#include <optional>
#include <ostream>

namespace morvik {

// The command line of morvik: --help and --version print and end the program without a window,
// so they work without a display too; the exit status is then 0. Any other argument is ignored
// and the window opens as without it: practice systems start device programs with arguments of
// their own (the request's path, a device number), and Qt takes its own (-platform, -style).
std::optional<int> AnswerCommandLine(const QStringList& arguments, std::ostream& out);

}  // namespace morvik
