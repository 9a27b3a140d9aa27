#include "ui/LoginDialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "support/ProgramFolder.h"
#include "ui/ModalScript.h"

namespace morvik {
namespace {

using test::ModalScript;

QLineEdit* passwordBox(QWidget* login) {
    return login->findChild<QLineEdit*>("txtPassword");
}

TEST(LoginDialog, WrongPasswordsAreAnsweredEveryTimeUntilTheRightOne) {
    // Wrong attempts, each typed over the selected previous one, then the right password:
    // only the exact text opens, so case, blanks and a letter too few do not.
    const std::vector<QString> attempts = {"KOLBRIN", "kolbrin ", "", "kolbri", "kolbrin"};
    int messages = 0;
    LoginDialog login;
    ModalScript script;
    for (std::size_t i = 0; i < attempts.size(); ++i) {
        script.when("frmLogin", [&, i](QWidget* w) {
            QLineEdit* box = passwordBox(w);
            EXPECT_EQ(box->echoMode(), QLineEdit::Password);
            EXPECT_EQ(w->focusWidget(), box) << i;
            // The previous attempt stands selected, so typing replaces it.
            EXPECT_EQ(box->selectedText(), i > 0 ? attempts[i - 1] : QString()) << i;
            if (attempts[i].isEmpty()) QTest::keyClick(box, Qt::Key_Delete);
            QTest::keyClicks(box, attempts[i]);
            QTest::keyClick(box, Qt::Key_Return);
        });
        if (i + 1 < attempts.size()) {
            script.when("QMessageBox", [&](QWidget* w) {
                auto* box = static_cast<QMessageBox*>(w);
                EXPECT_EQ(box->text(), "Ungültiges Kennwort. Bitte versuchen Sie es noch einmal!");
                EXPECT_EQ(box->windowTitle(), "Anmeldung");
                EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
                ++messages;
                box->button(QMessageBox::Ok)->click();
            });
        }
    }
    EXPECT_EQ(login.exec(), QDialog::Accepted);
    EXPECT_TRUE(script.done()) << script.unexpected();
    EXPECT_EQ(messages, 4);
}

TEST(CatalogueLockFlow, EscapeAndAbbrechenLeaveAndTheNextOpeningStartsEmpty) {
    test::ProgramFolder folder;
    std::vector<QString> shown;
    for (bool escape : {true, false}) {
        ModalScript script;
        script.when("frmLogin", [&](QWidget* w) {
            shown.push_back(passwordBox(w)->text());
            QTest::keyClicks(passwordBox(w), "kolbrin");
            if (escape) {
                QTest::keyClick(passwordBox(w), Qt::Key_Escape);
            } else {
                w->findChild<QPushButton*>("cmdCancel")->click();
            }
        });
        // A visibility dialog opened here would be left to the time limit, failing done().
        ShowCatalogueLock(folder.program.path(), folder.log);
        EXPECT_TRUE(script.done()) << script.unexpected();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(shown, (std::vector<QString>{"", ""}));
}

}  // namespace
}  // namespace morvik
