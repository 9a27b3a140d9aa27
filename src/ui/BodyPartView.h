#pragma once

#include <QString>

class QTreeView;

namespace morvik {

// One of the main window's two body-part lists: whole rows, one selected at a time, read-only,
// in the order the session holds them.
QTreeView* MakeBodyPartView(const char* objectName, const QString& accessibleName);

}  // namespace morvik
