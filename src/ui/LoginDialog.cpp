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

    auto* lblLabels = new QLabel(QStringLiteral("&Kennwort:"), this);
    lblLabels->setObjectName("lblLabels");
    txtPassword_ = new QLineEdit(this);
    txtPassword_->setObjectName("txtPassword");
    txtPassword_->setEchoMode(QLineEdit::Password);
    auto* star = new StarPasswordStyle;
    star->setParent(this);
    txtPassword_->setStyle(star);
    lblLabels->setBuddy(txtPassword_);

    cmdOK_ = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);  // Enter in the password box
    cmdCancel_ = new QPushButton(QStringLiteral("&Abbrechen"), this);
    cmdCancel_->setObjectName("cmdCancel");  // Escape rejects the dialog as well

    auto* row = new QHBoxLayout;
    row->addWidget(lblLabels);
    row->addWidget(txtPassword_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    setTabOrder(txtPassword_, cmdOK_);
    setTabOrder(cmdOK_, cmdCancel_);
    txtPassword_->setFocus();

    connect(cmdOK_, &QPushButton::clicked, this, &LoginDialog::Confirm);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void LoginDialog::Confirm() {
    if (UnlockCatalogue(txtPassword_->text().toStdString(), op_)) {
        accept();
        return;
    }
    // The next typing replaces the wrong attempt.
    txtPassword_->setFocus();
    txtPassword_->selectAll();
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
