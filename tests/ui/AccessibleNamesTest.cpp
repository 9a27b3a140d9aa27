// Screen readers and scripted tests: every window's inputs can be told apart by name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <set>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "ui/LoginDialog.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/SelectBodypartsDialog.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

// What a screen reader announces for an input: its own name, its label's text or its caption.
QString spokenName(QWidget* window, QWidget* input) {
    if (!input->accessibleName().isEmpty()) return input->accessibleName();
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() == input) return label->text().remove('&');
    }
    auto* button = qobject_cast<QAbstractButton*>(input);
    return button ? button->text().remove('&') : QString();
}

class AccessibleNames : public ::testing::Test, protected test::ProgramFolder {
  protected:
    test::RecordingOperator op;
    test::FakePicker picker;
    AppSettings settings;
    OrderSession session{program.path(), log, op, nullptr};
};

TEST_F(AccessibleNames, EveryInputHasAnOwnNameAndLabelsKeepTheirText) {
    test::MakeCatalogue(program.path(), {{1, "Knie", true, "KN", "K1"}});
    FMain main(session);
    FSplash splash;
    CatalogueDatabase catalogue(program.path(), log);
    ASSERT_TRUE(SubMain(main, splash, catalogue, log));
    FLogin login;
    FSelectBodyparts select(program.path(), log);
    FOptions options(
        settings, program.path(), log, [](int, const std::string&) {}, picker);
    for (QWidget* window : std::initializer_list<QWidget*>{&main, &login, &select, &options}) {
        const std::string where = window->objectName().toStdString();
        std::set<QString> names;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (auto* label = qobject_cast<QLabel*>(w)) {
                EXPECT_TRUE(label->accessibleName().isEmpty()) << where;
            } else if (w->focusPolicy() & Qt::TabFocus) {
                const QString name = spokenName(window, w);
                EXPECT_FALSE(name.isEmpty()) << where << ": " << w->objectName().toStdString();
                EXPECT_TRUE(names.insert(name).second) << where << ": " << name.toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace morvik
