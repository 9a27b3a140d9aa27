#include "ui/QtFolderPicker.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace morvik {

std::string QtFolderPicker::BrowseForFolder(const std::string& title) {
    const QString chosen = QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                                             QString::fromStdString(title),
                                                             QString(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return {};
    // cleanPath drops a trailing separator but keeps a root ("/", "C:/") whole.
    return QDir::toNativeSeparators(QDir::cleanPath(chosen)).toStdString();
}

}  // namespace morvik
