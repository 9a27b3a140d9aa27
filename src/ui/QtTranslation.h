#pragma once

#include <QTranslator>
#include <memory>

namespace morvik {

// Qt's own German texts (standard buttons, the folder chooser, context menus), from the
// translations Qt was installed with. Installed for as long as the result lives; nullptr when
// they are not there, and the standard dialogs then stay English.
std::unique_ptr<QTranslator> InstallQtGerman();

}  // namespace morvik
