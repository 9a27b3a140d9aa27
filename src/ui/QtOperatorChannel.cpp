#include "ui/QtOperatorChannel.h"

#include <QApplication>
#include <QMessageBox>

namespace morvik {

void QtOperatorChannel::ShowMessage(const std::string& text, const std::string& title,
                                    MessageIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    if (icon == MessageIcon::Information) qtIcon = QMessageBox::Information;
    if (icon == MessageIcon::Warning) qtIcon = QMessageBox::Warning;
    QMessageBox box(qtIcon, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

// Windows repaint during long work, but no click or keystroke gets in while an order is written
// or a list is loaded.
void QtOperatorChannel::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace morvik
