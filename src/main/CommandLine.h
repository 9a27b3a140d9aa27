#pragma once

#include <QStringList>
#include <optional>
#include <ostream>

namespace morvik {

// The command line of morvik: nothing, or --help or --version, which print and end the program
// without a window, so they work without a display too. Returns the exit status when the
// program is to end at once (0 after help or version, 2 for a wrong call), nothing when the
// window is to open.
//
// Called twice. Before the QApplication exists (`qtHasTakenItsOwn` false), options it does not
// know are let through: they may be Qt's own (-platform, -style), which QApplication takes out
// of the arguments. Called again with what QApplication left, anything unknown is a wrong call.
std::optional<int> AnswerCommandLine(const QStringList& arguments, bool qtHasTakenItsOwn,
                                     std::ostream& out, std::ostream& err);

}  // namespace morvik
