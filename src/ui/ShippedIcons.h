#pragma once

#include <QIcon>

namespace morvik {

// The icons the program ships as resources. None of them asks the desktop's icon theme: a theme
// that lacks an icon is searched folder by folder (thousands of file look-ups at every start on
// a machine without an up-to-date theme cache, and on every Windows PC).

// The program's icon for its windows.
QIcon ProgramIcon();

// The clear button of a text field.
QIcon ClearTextIcon();

}  // namespace morvik
