// Ordering without a mouse: Enter in the search field, Enter on buttons, Tab into the modality
// group, Delete in the added list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "diag/ErrorLog.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

using test::WriteBytes;

class KeyboardTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    KeyboardTest() {
        std::filesystem::create_directory(program / "in");
        std::filesystem::create_directory(program / "out");
        WriteBytes(program / "Settings.ini",
                   "[GDTService]\r\nGDTQuell=" + (program / "in").string() +
                       "\r\nGDTZiel=" + (program / "out").string() + "\r\nKuerzel=AB\r\n");
        WriteBytes(program / "in" / "a.gdt", "0133000471\r\n");
        test::MakeCatalogue(program.path(), {{1, "Becken", true, "BEC", "B01"},
                                             {2, "Knie links", true, "KNL", "K01"}});
        EXPECT_TRUE(SubMain(window, splash, catalogue, log));
        search = window.findChild<QLineEdit*>("txtSearch");
        added = window.findChild<QTreeView*>("lvAddBodyparts");
    }
    QStringList addedNames() const {
        QStringList names;
        for (const auto& e : session.Added().Rows()) names << QString::fromStdString(e.name);
        return names;
    }

    test::RecordingOperator op;
    OrderSession session{program.path(), log, op, nullptr};
    FMain window{session};
    FSplash splash;
    CatalogueDatabase catalogue{program.path(), log};
    QLineEdit* search = nullptr;
    QTreeView* added = nullptr;
};

TEST_F(KeyboardTest, EnterInTheSearchAddsOnlyWhatTheTextFound) {
    const QColor plain = search->palette().color(QPalette::Base);
    QTest::keyClicks(search, "kn");
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(addedNames(), QStringList{"Knie links"});
    EXPECT_EQ(search->selectedText(), "kn");  // typing goes over it

    QTest::keyClicks(search, "zzz");  // a miss: said so, the selection stays, Enter adds nothing
    EXPECT_EQ(search->accessibleDescription(), "kein Treffer");
    EXPECT_NE(search->palette().color(QPalette::Base), plain);
    EXPECT_EQ(session.Catalogue().Selected(), 2u);
    QTest::keyClick(search, Qt::Key_Enter);
    EXPECT_EQ(addedNames(), QStringList{"Knie links"});

    search->clear();  // empty: nothing found, nothing missed
    EXPECT_EQ(search->accessibleDescription(), "");
    QTest::keyClick(search, Qt::Key_Return);
    QTest::keyClicks(search, "be");
    EXPECT_EQ(search->palette().color(QPalette::Base), plain);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(addedNames(), (QStringList{"Knie links", "Becken"}));
}

TEST_F(KeyboardTest, DeleteWithNothingSelectedDoesNothingAndLogsNothing) {
    QTest::keyClicks(search, "be");
    QTest::keyClick(search, Qt::Key_Return);
    added->setFocus();
    added->selectionModel()->clearSelection();
    QTest::keyClick(added, Qt::Key_Delete);
    EXPECT_EQ(addedNames(), QStringList{"Becken"});
    EXPECT_TRUE(test::Logged(log, {}));
}

TEST_F(KeyboardTest, TabEntersTheModalitiesOnTheCheckedOneAndArrowsMove) {
    auto* kuerzel = window.findChild<QLineEdit*>("txtKuerzel");
    auto* roentgen = window.findChild<QRadioButton*>("optMod1");
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    kuerzel->setFocus();
    QTest::keyClick(kuerzel, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), roentgen);
    QTest::keyClick(roentgen, Qt::Key_Right);
    auto* third = window.findChild<QRadioButton*>("optMod2");
    EXPECT_EQ(QApplication::focusWidget(), third);
    EXPECT_TRUE(third->isChecked());
    EXPECT_EQ(session.CheckedModality(), 2);
    QTest::keyClick(third, Qt::Key_Tab);  // and Tab leaves the group at once
    EXPECT_EQ(QApplication::focusWidget(), kuerzel);
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButton) {
    QTest::keyClicks(search, "be");
    QTest::keyClick(search, Qt::Key_Return);
    auto* ok = window.findChild<QPushButton*>("cmdOK");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Der Auftrag wurde erfolgreich angelegt."});

    // The options dialog: OK saves and closes, Abbrechen closes.
    for (const char* name : {"cmdOK", "cmdClose"}) {
        test::FakePicker picker;
        FOptions options(session.Settings(), program.path(), log, nullptr, picker);
        options.show();
        auto* button = options.findChild<QPushButton*>(name);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_EQ(options.result(),
                  std::string(name) == "cmdOK" ? QDialog::Accepted : QDialog::Rejected)
            << name;
        EXPECT_FALSE(options.isVisible()) << name;
    }
}

}  // namespace
}  // namespace morvik
