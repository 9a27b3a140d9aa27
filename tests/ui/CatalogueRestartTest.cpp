// The catalogue choice as the operator meets it: from the main window's menu through the options
// dialog, the password prompt and the visibility dialog back to the options with their edits,
// taking effect when the main window starts again.
#include <QAction>
#include <QCheckBox>
#include <QTreeWidget>

#include "support/Fakes.h"
#include "ui/MainWindowFixture.h"
#include "ui/ModalScript.h"
#include "ui/OptionsDialog.h"

namespace morvik {
namespace {

bool visible(const char* objectName) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == objectName && top->isVisible()) return true;
    }
    return false;
}

int catalogueRows(MainWindow& window) {
    return window.findChild<QTreeView*>("lvBodyparts")->model()->rowCount();
}

class CatalogueRestart : public test::MainWindowFixture {};

TEST_F(CatalogueRestart, ChainThroughPasswordAndVisibilityKeepsTheEditsAndHidesRowsAfterRestart) {
    test::FakePicker picker;
    window.SetOptionsOpener([&] {  // as the program's entry point opens them
        OptionsDialog options(
            session.Settings(), program.path(), log,
            [&](int i, const std::string& caption) { window.RenameModality(i, caption); }, picker);
        options.exec();
    });
    ASSERT_TRUE(start({{1, "Knie", true, "KN", "F-KN"},
                       {2, "Thorax", true, "TH", "F-TH"},
                       {3, "Hand", false, "HA", "F-HA"}}));
    ASSERT_EQ(catalogueRows(window), 2);
    int listed = -1;
    bool promptGoneBeforeChoice = false, bothGoneAfter = false;
    test::ModalScript script;
    script
        .when("fOptions",
              [](QWidget* w) {
                  w->findChild<QLineEdit*>("txtButton1")->setText("DR");
                  w->findChild<QCheckBox*>("chkKonica")->click();
                  w->findChild<QLineEdit*>("txtAcc")->setText("RAD");
                  w->findChild<QPushButton*>("cmdSelectBodyparts")->click();
              })
        .when("frmLogin",
              [](QWidget* w) {
                  auto* box = w->findChild<QLineEdit*>("txtPassword");
                  QTest::keyClicks(box, "kolbrin");
                  QTest::keyClick(box, Qt::Key_Return);
              })
        .when("frmSelectBodyparts",
              [&](QWidget* w) {
                  promptGoneBeforeChoice = !visible("frmLogin");
                  auto* list = w->findChild<QTreeWidget*>("lvSelectBodyparts");
                  listed = list->topLevelItemCount();
                  w->findChild<QPushButton*>("cmdNone")->click();
                  list->topLevelItem(2)->setCheckState(0, Qt::Checked);  // Hand
                  w->findChild<QPushButton*>("cmdOK")->click();
              })
        .when("fOptions", [&](QWidget* w) {
            bothGoneAfter = !visible("frmLogin") && !visible("frmSelectBodyparts");
            EXPECT_EQ(w->findChild<QLineEdit*>("txtButton1")->text().toStdString(), "DR");
            EXPECT_TRUE(w->findChild<QCheckBox*>("chkKonica")->isChecked());
            EXPECT_EQ(w->findChild<QLineEdit*>("txtAcc")->text().toStdString(), "RAD");
            w->findChild<QPushButton*>("cmdOK")->click();
        });
    window.findChild<QAction*>("mnu_Options")->trigger();
    EXPECT_TRUE(script.done()) << script.unexpected();
    EXPECT_EQ(listed, 3);  // every row, the hidden one too
    EXPECT_TRUE(promptGoneBeforeChoice);
    EXPECT_TRUE(bothGoneAfter);
    EXPECT_EQ(test::PlainQuery(program / "Bodypart.mdb", "SELECT f_Show FROM tblBodypart"),
              (std::vector<std::string>{"0", "0", "1"}));
    // The options' OK renamed the button at once and saved the edits.
    EXPECT_EQ(find<QRadioButton>("optMod1")->text(), "DR");
    EXPECT_TRUE(LoadAppSettings(program.path(), log).konica);
    // The running window keeps its list until the next start.
    EXPECT_EQ(catalogueRows(window), 2);
    window.close();

    OrderSession again(program.path(), log, op, nullptr);
    MainWindow restarted(again);
    CatalogueDatabase reopened(program.path(), log);
    EXPECT_TRUE(StartProgram(restarted, splash, reopened, log));
    EXPECT_EQ(catalogueRows(restarted), 1);
    EXPECT_EQ(restarted.findChild<QRadioButton*>("optMod1")->text(), "DR");
}

}  // namespace
}  // namespace morvik
