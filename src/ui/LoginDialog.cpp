#include "ui/LoginDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CatalogueLock.h"
#include "ui/SelectBodypartsDialog.h"

namespace morvik {

namespace {

// The prompt shows "*" for every typed character, whatever the style's own bullet is.
class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

LoginDialog::LoginDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("frmLogin");
    setWindowTitle(QString::fromUtf8(kLoginTitle));

    auto* passwordLabel = new QLabel(QStringLiteral("&Kennwort:"), this);
    passwordLabel->setObjectName("lblLabels");
    passwordField_ = new QLineEdit(this);
    passwordField_->setObjectName("txtPassword");
    passwordField_->setEchoMode(QLineEdit::Password);
    auto* star = new StarPasswordStyle;
    star->setParent(this);
    passwordField_->setStyle(star);
    passwordLabel->setBuddy(passwordField_);

    confirmButton_ = new QPushButton(QStringLiteral("&OK"), this);
    confirmButton_->setObjectName("cmdOK");
    confirmButton_->setDefault(true);  // Enter in the password box
    cancelButton_ = new QPushButton(QStringLiteral("&Abbrechen"), this);
    cancelButton_->setObjectName("cmdCancel");  // Escape rejects the dialog as well

    auto* row = new QHBoxLayout;
    row->addWidget(passwordLabel);
    row->addWidget(passwordField_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(confirmButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    setTabOrder(passwordField_, confirmButton_);
    setTabOrder(confirmButton_, cancelButton_);
    passwordField_->setFocus();

    connect(confirmButton_, &QPushButton::clicked, this, &LoginDialog::Confirm);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void LoginDialog::Confirm() {
    if (UnlockCatalogue(passwordField_->text().toStdString(), op_)) {
        accept();
        return;
    }
    // The next typing replaces the wrong attempt.
    passwordField_->setFocus();
    passwordField_->selectAll();
}

void ShowCatalogueLock(const std::filesystem::path& programFolder, ErrorLog& log) {
    bool unlocked = false;
    {
        LoginDialog login;
        unlocked = login.exec() == QDialog::Accepted;
    }
    if (!unlocked) return;
    SelectBodypartsDialog choice(programFolder, log);
    choice.exec();
}

}  // namespace morvik
