#include "ui/SelectBodypartsDialog.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "diag/ErrorLog.h"
#include "support/CatalogueFile.h"
#include "support/FixedClock.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::PlainQuery;

class SelectBodypartsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::MakeCatalogue(program.path(),
                            "INSERT INTO tblBodypart VALUES (4, 'Knie', 1, 'KN', 'F-KN');"
                            "INSERT INTO tblBodypart VALUES (9, 'Schulter', 0, 'SCH', 'F-SCH');"
                            "INSERT INTO tblBodypart VALUES (11, 'Thorax', 1, 'TH', 'F-TH');");
    }
    std::vector<std::string> flags() {
        return PlainQuery(program / "Bodypart.mdb", "SELECT f_Show FROM tblBodypart ORDER BY ID");
    }
    static QTreeWidget* list(QWidget& dlg) {
        return dlg.findChild<QTreeWidget*>("lvSelectBodyparts");
    }
    static void click(QWidget& dlg, const char* name) {
        dlg.findChild<QPushButton*>(name)->click();
    }
    // Name, check state and ID tag of each item, as the operator and the write see them.
    static std::vector<std::string> shown(QWidget& dlg) {
        std::vector<std::string> rows;
        QTreeWidget* lv = list(dlg);
        for (int i = 0; i < lv->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lv->topLevelItem(i);
            rows.push_back(item->text(0).toStdString() +
                           (item->checkState(0) == Qt::Checked ? " [x] " : " [ ] ") +
                           item->data(0, Qt::UserRole).toString().toStdString());
        }
        return rows;
    }

    test::TempFolder program;
    test::FixedClock clock;
    ErrorLog log{program.path(), clock};
};

TEST_F(SelectBodypartsDialogTest, ShowsEveryRowWithItsCheckBoxAndTheElements) {
    FSelectBodyparts dlg(program.path(), log);
    EXPECT_EQ(dlg.windowTitle(), "Bodyparts auswählen");
    EXPECT_EQ(shown(dlg),
              (std::vector<std::string>{"Knie [x] 4", "Schulter [ ] 9", "Thorax [x] 11"}));
    EXPECT_EQ(list(dlg)->headerItem()->text(0), "Körperteile");
    EXPECT_EQ(list(dlg)->accessibleName(), "Körperteile");

    const std::vector<std::pair<const char*, const char*>> buttons = {
        {"cmdAlle", "Alle auswählen"},
        {"cmdNone", "Keine auswählen"},
        {"cmdOK", "OK"},
        {"cmdCancel", "Abbrechen"}};
    QWidget* previous = list(dlg);
    for (const auto& [name, text] : buttons) {
        auto* b = dlg.findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text().remove('&'), text) << name;
        QWidget* next = previous->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
        EXPECT_EQ(next, b) << name;
        previous = b;
    }
    auto* label = dlg.findChild<QLabel*>("lblLabel");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "(Wird erst nach Neustart des Programmes wirksam.)");
}

TEST_F(SelectBodypartsDialogTest, KeineAuswaehlenThenOkHidesEveryRow) {
    {
        FSelectBodyparts dlg(program.path(), log);
        dlg.show();
        click(dlg, "cmdNone");
        EXPECT_EQ(shown(dlg),
                  (std::vector<std::string>{"Knie [ ] 4", "Schulter [ ] 9", "Thorax [ ] 11"}));
        EXPECT_EQ(flags(), (std::vector<std::string>{"1", "0", "1"}));  // not before OK
        click(dlg, "cmdOK");
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_FALSE(dlg.isVisible());
    }
    EXPECT_EQ(flags(), (std::vector<std::string>{"0", "0", "0"}));
    FSelectBodyparts reopened(program.path(), log);
    EXPECT_EQ(shown(reopened),
              (std::vector<std::string>{"Knie [ ] 4", "Schulter [ ] 9", "Thorax [ ] 11"}));
    EXPECT_FALSE(std::filesystem::exists(log.file()));
}

TEST_F(SelectBodypartsDialogTest, OperatorsCheckBoxesAreWritten) {
    FSelectBodyparts dlg(program.path(), log);
    dlg.show();
    list(dlg)->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    list(dlg)->topLevelItem(1)->setCheckState(0, Qt::Checked);
    click(dlg, "cmdOK");
    EXPECT_EQ(flags(), (std::vector<std::string>{"0", "1", "1"}));
}

TEST_F(SelectBodypartsDialogTest, AbbrechenAndTheCloseBoxWriteNothing) {
    for (bool closeBox : {false, true}) {
        FSelectBodyparts dlg(program.path(), log);
        dlg.show();
        click(dlg, "cmdAlle");
        EXPECT_EQ(shown(dlg),
                  (std::vector<std::string>{"Knie [x] 4", "Schulter [x] 9", "Thorax [x] 11"}));
        if (closeBox) {
            dlg.close();
        } else {
            click(dlg, "cmdCancel");
        }
        EXPECT_FALSE(dlg.isVisible()) << closeBox;
        EXPECT_EQ(flags(), (std::vector<std::string>{"1", "0", "1"})) << closeBox;
    }
}

TEST_F(SelectBodypartsDialogTest, AFailedWriteKeepsTheDialogOpen) {
    FSelectBodyparts dlg(program.path(), log);
    dlg.show();
    click(dlg, "cmdNone");
    test::MakeCatalogue(program.path(), "DROP TABLE tblBodypart; CREATE TABLE tblBodypart(x);");
    click(dlg, "cmdOK");
    EXPECT_TRUE(dlg.isVisible());
    const auto errors = test::LoggedErrors(log);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].loggedUnder("cmdOK_Click - frmSelectBoyparts")) << errors[0].text;
    dlg.reject();
}

}  // namespace
}  // namespace morvik
