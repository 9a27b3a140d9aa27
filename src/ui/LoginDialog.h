#pragma once

#include <QDialog>
#include <filesystem>

#include "ui/QtOperatorChannel.h"

class QLineEdit;
class QPushButton;

namespace morvik {

class ErrorLog;

// frmLogin "Anmeldung": the password prompt. Accepted only with the right password; every
// opening starts with an empty box.
class LoginDialog : public QDialog {
    Q_OBJECT
  public:
    explicit LoginDialog(QWidget* parent = nullptr);

  private:
    void Confirm();

    QtOperatorChannel op_;
    QLineEdit* passwordField_;
    QPushButton* confirmButton_;
    QPushButton* cancelButton_;
};

// "Bodyparts auswählen" of the options dialog: the prompt and, after the right password, the
// catalogue visibility dialog, both modal without an owner. Returns when both have closed.
void ShowCatalogueLock(const std::filesystem::path& programFolder, ErrorLog& log);

}  // namespace morvik
