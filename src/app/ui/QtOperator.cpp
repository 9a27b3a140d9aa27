#include "app/ui/QtOperator.h"

#include <QApplication>
#include <QMessageBox>

namespace morvik {

void QtOperator::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    if (icon == MessageIcon::Information) qtIcon = QMessageBox::Information;
    if (icon == MessageIcon::Warning) qtIcon = QMessageBox::Warning;
    QMessageBox box(qtIcon, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void QtOperator::ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace morvik
