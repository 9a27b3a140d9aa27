#pragma once

#include <QIcon>

namespace morvik {

// The program's icon for its windows (drawn as SVG; Qt's SVG icon plugin renders it).
QIcon ProgramIcon();

}  // namespace morvik
