// The catalogue choice as the operator meets it: from the main window's menu through the options
// dialog, the password prompt and the visibility dialog back to the options with their edits,
// taking effect when the main window starts again.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "ui/MainWindow.h"
#include "ui/ModalScript.h"
#include "ui/OptionsDialog.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

// One run of the program: the main window started as the entry point starts it.
struct ProgramRun {
    explicit ProgramRun(const std::filesystem::path& folder) : program(folder) {
        window.SetOptionsOpener([this] {
            FOptions options(
                session.Settings(), program, log,
                [this](int i, const std::string& c) { window.RenameModality(i, c); }, picker);
            options.exec();
        });
        started = SubMain(window, splash, catalogue, log);
    }
    int catalogueRows() { return window.findChild<QTreeView*>("lvBodyparts")->model()->rowCount(); }
    std::string modality(int i) {
        return window.findChild<QRadioButton*>(QString("optMod%1").arg(i))->text().toStdString();
    }

    std::filesystem::path program;
    test::FixedClock clock;
    ErrorLog log{program, clock};
    test::RecordingOperator op;
    test::FakePicker picker;
    OrderSession session{program, log, op, nullptr};
    FMain window{session};
    FSplash splash;
    CatalogueDatabase catalogue{program, log};
    bool started = false;
};

bool visible(const char* objectName) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == objectName && top->isVisible()) return true;
    }
    return false;
}

TEST(CatalogueRestart, ChainThroughPasswordAndVisibilityKeepsTheEditsAndHidesRowsAfterRestart) {
    test::TempFolder program;
    test::MakeCatalogue(program.path(),
                        "INSERT INTO tblBodypart VALUES (1, 'Knie', 1, 'KN', 'F-KN');"
                        "INSERT INTO tblBodypart VALUES (2, 'Thorax', 1, 'TH', 'F-TH');"
                        "INSERT INTO tblBodypart VALUES (3, 'Hand', 0, 'HA', 'F-HA');");
    {
        ProgramRun run(program.path());
        ASSERT_TRUE(run.started);
        ASSERT_EQ(run.catalogueRows(), 2);

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
        run.window.findChild<QAction*>("mnu_Options")->trigger();
        EXPECT_TRUE(script.done()) << script.unexpected();
        EXPECT_EQ(listed, 3);  // every row, the hidden one too
        EXPECT_TRUE(promptGoneBeforeChoice);
        EXPECT_TRUE(bothGoneAfter);
        EXPECT_EQ(test::PlainQuery(program / "Bodypart.mdb", "SELECT f_Show FROM tblBodypart"),
                  (std::vector<std::string>{"0", "0", "1"}));
        // The options' OK renamed the button at once and saved the edits.
        EXPECT_EQ(run.modality(1), "DR");
        EXPECT_TRUE(LoadAppSettings(program.path(), run.log).Konica);
        // The running window keeps its list until the next start.
        EXPECT_EQ(run.catalogueRows(), 2);
        run.window.close();
    }
    ProgramRun restarted(program.path());
    EXPECT_TRUE(restarted.started);
    EXPECT_EQ(restarted.catalogueRows(), 1);
    EXPECT_EQ(restarted.modality(1), "DR");
}

}  // namespace
}  // namespace morvik
