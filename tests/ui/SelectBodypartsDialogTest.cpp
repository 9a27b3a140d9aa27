// What the operator chose in the visibility dialog is written only by OK; the chain through the
// main window and a restart is in CatalogueRestartTest.
#include "ui/SelectBodypartsDialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "support/CatalogueFile.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

class SelectBodypartsDialogTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    void SetUp() override {
        test::MakeCatalogue(program.path(),
                            "INSERT INTO tblBodypart VALUES (4, 'Knie', 1, 'KN', 'F-KN');"
                            "INSERT INTO tblBodypart VALUES (9, 'Schulter', 0, 'SCH', 'F-SCH');"
                            "INSERT INTO tblBodypart VALUES (11, 'Thorax', 1, 'TH', 'F-TH');");
    }
    std::vector<std::string> flags() {
        return test::PlainQuery(program / "Bodypart.mdb",
                                "SELECT f_Show FROM tblBodypart ORDER BY ID");
    }
    // Name, check state and ID tag of each item, as the operator and the write see them.
    static std::vector<std::string> shown(QWidget& dlg) {
        std::vector<std::string> rows;
        auto* lv = dlg.findChild<QTreeWidget*>("lvSelectBodyparts");
        for (int i = 0; i < lv->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lv->topLevelItem(i);
            rows.push_back(item->text(0).toStdString() +
                           (item->checkState(0) == Qt::Checked ? " [x] " : " [ ] ") +
                           item->data(0, Qt::UserRole).toString().toStdString());
        }
        return rows;
    }
};

TEST_F(SelectBodypartsDialogTest, AbbrechenAndTheCloseBoxWriteNothing) {
    for (bool closeBox : {false, true}) {
        SelectBodypartsDialog dlg(program.path(), log);
        dlg.show();
        EXPECT_EQ(shown(dlg),
                  (std::vector<std::string>{"Knie [x] 4", "Schulter [ ] 9", "Thorax [x] 11"}));
        dlg.findChild<QPushButton*>("cmdAlle")->click();
        EXPECT_EQ(shown(dlg),
                  (std::vector<std::string>{"Knie [x] 4", "Schulter [x] 9", "Thorax [x] 11"}));
        closeBox ? void(dlg.close()) : dlg.findChild<QPushButton*>("cmdCancel")->click();
        EXPECT_FALSE(dlg.isVisible()) << closeBox;
        EXPECT_EQ(flags(), (std::vector<std::string>{"1", "0", "1"})) << closeBox;
    }
}

TEST_F(SelectBodypartsDialogTest, AFailedWriteKeepsTheDialogOpen) {
    SelectBodypartsDialog dlg(program.path(), log);
    dlg.show();
    dlg.findChild<QPushButton*>("cmdNone")->click();
    test::MakeCatalogue(program.path(), "DROP TABLE tblBodypart; CREATE TABLE tblBodypart(x);");
    dlg.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(test::Logged(log, {"cmdOK_Click - frmSelectBoyparts"}));
    dlg.reject();
}

// Enter confirms what the operator unchecked: in the list and on "Alle auswählen" it presses
// nothing, on a focused "OK" it saves.
TEST_F(SelectBodypartsDialogTest, EnterNeverPressesAButtonThatChangesTheChoice) {
    SelectBodypartsDialog dlg(program.path(), log);
    dlg.show();
    auto* lv = dlg.findChild<QTreeWidget*>("lvSelectBodyparts");
    lv->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    for (const char* name : {"lvSelectBodyparts", "cmdAlle", "cmdOK"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(dlg.isVisible());
        auto* focused = dlg.findChild<QWidget*>(name);
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key_Return);
        EXPECT_EQ(shown(dlg),
                  (std::vector<std::string>{"Knie [ ] 4", "Schulter [ ] 9", "Thorax [x] 11"}));
    }
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(flags(), (std::vector<std::string>{"0", "0", "1"}));
}

}  // namespace
}  // namespace morvik
