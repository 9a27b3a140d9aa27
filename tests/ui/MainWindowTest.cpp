#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "ui/MainWindow.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

using test::WriteBytes;

class MainWindowTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    MainWindowTest() {
        std::filesystem::create_directory(program / "in");
        std::filesystem::create_directory(program / "out");
        WriteBytes(program / "Settings.ini",
                   "[GDTService]\r\nGDTQuell=" + (program / "in").string() +
                       "\r\nGDTZiel=" + (program / "out").string() + "\r\nKuerzel=AB\r\n");
        WriteBytes(program / "in" / "a.gdt", "0133000471\r\n0153101Muster\r\n0143102Erika\r\n");
    }

    void start(std::vector<CatalogueRow> rows) {
        test::MakeCatalogue(program.path(), rows);
        ASSERT_TRUE(SubMain(window, splash, catalogue, log));
    }

    template <class T>
    T* find(const char* name) {
        T* w = window.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QTreeView* catalogueList() { return find<QTreeView>("lvBodyparts"); }
    QTreeView* addedList() { return find<QTreeView>("lvAddBodyparts"); }

    void doubleClickRow(QTreeView* view, int row) {
        QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    test::RecordingOperator op;
    OrderSession session{program.path(), log, op, nullptr};
    FMain window{session};
    FSplash splash;
    CatalogueDatabase catalogue{program.path(), log};
};

const std::vector<CatalogueRow> kRows = {
    {1, "Knie links", true, "KNL", "K01"}, {2, "Becken", true, "BEC", "B01"},
    {3, "Abdomen", true, "ABD", "A01"},    {4, "Hand verborgen", false, "HV", "H01"},
    {5, "Ösophagus", true, "OES", "O01"},  {6, "knie rechts", true, "KNR", "K02"}};

TEST_F(MainWindowTest, StartUpShowsPatientCatalogueInGermanOrderAndColumns) {
    start(kRows);
    EXPECT_EQ(find<QLabel>("lblID")->text(), "ID: 471");
    EXPECT_EQ(find<QLabel>("lblName")->text(), "Name: Muster Erika");
    QTreeView* list = catalogueList();
    EXPECT_EQ(list->model()->rowCount(), 5);  // the hidden row left out
    EXPECT_EQ(list->model()->index(4, 0).data().toString(), "Ösophagus");
    EXPECT_TRUE(list->isColumnHidden(1));
    EXPECT_TRUE(list->isColumnHidden(2));
    EXPECT_FALSE(list->isColumnHidden(0));
    EXPECT_EQ(splash.Progress()->maximum(), 5);
    EXPECT_EQ(splash.Progress()->value(), 5);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(find<QRadioButton>("optMod1")->isChecked());
    EXPECT_FALSE(find<QPushButton>("cmdOK")->isEnabled());
    EXPECT_FALSE(catalogue.IsOpen());
}

TEST_F(MainWindowTest, MissingCatalogueIsLoggedAndTheWindowStillComesUp) {
    ASSERT_FALSE(SubMain(window, splash, catalogue, log));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(catalogueList()->model()->rowCount(), 0);
    EXPECT_TRUE(test::Logged(log, {"Connection", "Sub Main"}));
}

TEST_F(MainWindowTest, SearchSelectsAndDoubleClickEnterAndDeleteMoveRows) {
    start(kRows);
    QTest::keyClicks(find<QLineEdit>("txtSearch"), "kn");
    QTreeView* list = catalogueList();
    ASSERT_EQ(list->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list->selectionModel()->selectedRows()[0].row(), 2);

    // Enter adds the selected row, as a double-click does.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    doubleClickRow(list, 1);
    EXPECT_EQ(addedList()->model()->rowCount(), 2);
    EXPECT_EQ(addedList()->model()->index(0, 0).data().toString(), "Knie links");
    EXPECT_EQ(addedList()->model()->index(1, 2).data().toString(), "B01");
    EXPECT_TRUE(find<QPushButton>("cmdOK")->isEnabled());

    // Delete removes the selected added row; double-click the other one.
    QTreeView* added = addedList();
    added->setFocus();
    added->selectionModel()->setCurrentIndex(
        added->model()->index(0, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(added, Qt::Key_Delete);
    EXPECT_EQ(added->model()->rowCount(), 1);
    EXPECT_EQ(added->model()->index(0, 0).data().toString(), "Becken");
    doubleClickRow(added, 0);
    EXPECT_EQ(added->model()->rowCount(), 0);
    EXPECT_FALSE(find<QPushButton>("cmdOK")->isEnabled());

    // Clearing the search leaves no catalogue row selected.
    find<QLineEdit>("txtSearch")->clear();
    EXPECT_TRUE(list->selectionModel()->selectedRows().isEmpty());
}

}  // namespace
}  // namespace morvik
