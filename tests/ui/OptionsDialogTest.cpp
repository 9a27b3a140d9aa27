#include "ui/OptionsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "ui/ModalScript.h"

namespace morvik {
namespace {

using test::ModalScript;

class OptionsDialogTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    std::unique_ptr<OptionsDialog> open() {
        return std::make_unique<OptionsDialog>(
            settings, program.path(), log,
            [this](int i, const std::string& caption) {
                buttons[static_cast<std::size_t>(i)] = caption;
            },
            picker);
    }
    static QLineEdit* edit(QWidget* dlg, const char* name) {
        return dlg->findChild<QLineEdit*>(name);
    }
    static QCheckBox* check(QWidget* dlg, const char* name) {
        return dlg->findChild<QCheckBox*>(name);
    }
    static void click(QWidget* dlg, const char* name) {
        dlg->findChild<QAbstractButton*>(name)->click();
    }

    test::FakePicker picker;
    AppSettings settings = LoadAppSettings(program.path(), log);
    std::array<std::string, kModalityCount> buttons{"-", "-", "-", "-", "-", "-"};
};

// The rules themselves are the model's; here: the widgets show what the model decided, and
// what they show is what OK saves and hands to the main window.
TEST_F(OptionsDialogTest, WidgetsFollowTheModelAndOkSavesThem) {
    settings.konica = true;
    settings.sourceDrive = "Q";
    auto dlg = open();
    dlg->show();
    check(dlg.get(), "chkOneGDT")->click();
    EXPECT_FALSE(check(dlg.get(), "chkKonica")->isChecked());
    EXPECT_TRUE(check(dlg.get(), "chkFactory")->isChecked());

    QLineEdit* letter = edit(dlg.get(), "txtQuellBuchstabe");
    EXPECT_FALSE(letter->isEnabled());
    check(dlg.get(), "chkQuellNetz")->click();
    EXPECT_TRUE(letter->isEnabled());
    letter->clear();
    QTest::keyClicks(letter, "XY");
    EXPECT_EQ(letter->text(), "X");

    picker.answer = "/daten/gdt";
    click(dlg.get(), "cmdQuell");
    EXPECT_EQ(edit(dlg.get(), "txtQuell")->text(), "/daten/gdt");

    QLineEdit* name = edit(dlg.get(), "txtButton3");
    name->selectAll();
    QTest::keyClicks(name, "MRT");
    check(dlg.get(), "chkCarestream")->click();
    check(dlg.get(), "chkBodypart2")->click();  // "ohne Körperteile"
    check(dlg.get(), "chkBodypart0")->click();
    click(dlg.get(), "cmdOK");

    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(buttons, (std::array<std::string, kModalityCount>{
                           "Scan", "Röntgen", "Modalität 3", "MRT", "Modalität 5", "Modalität 6"}));
    EXPECT_EQ(settings.sourceDrive, "X");
    EXPECT_EQ(settings.sourceFolder, "/daten/gdt");
    EXPECT_TRUE(settings.oneFilePerPatient && settings.drFactory && !settings.konica &&
                settings.carestream);
    EXPECT_EQ(settings.withoutBodyParts,
              (std::array<bool, 6>{false, false, true, false, false, false}));
    EXPECT_EQ(LoadAppSettings(program.path(), log), settings);
    auto again = open();
    EXPECT_EQ(edit(again.get(), "txtButton3")->text(), "MRT");
    EXPECT_TRUE(check(again.get(), "chkBodypart2")->isChecked());
}

// The worklist's fields show only once the box is on; each row is named by its button's caption
// as typed; what is typed and chosen there is what OK saves.
TEST_F(OptionsDialogTest, WorklistFieldsReachTheSettingsFile) {
    auto dlg = open();
    dlg->show();
    QWidget* fields = dlg->findChild<QWidget*>("worklistFields");
    EXPECT_FALSE(fields->isVisible());
    check(dlg.get(), "worklistEnabledBox")->click();
    EXPECT_TRUE(fields->isVisible());

    picker.answer = "/srv/worklist/MORVIK";
    click(dlg.get(), "worklistFolderButton");
    QLineEdit* name = edit(dlg.get(), "txtButton2");
    name->selectAll();
    QTest::keyClicks(name, "Sono");
    QLineEdit* code = edit(dlg.get(), "worklistModalityCode2");
    EXPECT_EQ(code->accessibleName(), "Sono DICOM-Modalität");
    QTest::keyClicks(code, "US");
    QTest::keyClicks(edit(dlg.get(), "worklistStationAETitle2"), "SONO1");
    QLineEdit* days = edit(dlg.get(), "worklistKeepDaysField");
    days->selectAll();
    QTest::keyClicks(days, "14");
    click(dlg.get(), "cmdOK");

    EXPECT_FALSE(dlg->isVisible());
    const AppSettings saved = LoadAppSettings(program.path(), log);
    EXPECT_TRUE(saved.worklistEnabled);
    EXPECT_EQ(saved.worklistFolder, "/srv/worklist/MORVIK");
    EXPECT_EQ(saved.worklistModalityCodes[2], "US");
    EXPECT_EQ(saved.worklistStationAETitles[2], "SONO1");
    EXPECT_EQ(saved.worklistModalityCodes[1], "CR");
    EXPECT_EQ(WorklistKeepDays(saved), 14);
    EXPECT_EQ(saved, settings);
}

TEST_F(OptionsDialogTest, AbbrechenAndTheCloseBoxDiscard) {
    const AppSettings before = settings;
    for (bool closeBox : {false, true}) {
        auto dlg = open();
        dlg->show();
        edit(dlg.get(), "txtSuffix")->setText("txt");
        check(dlg.get(), "chkBodypart2")->click();
        closeBox ? void(dlg->close()) : click(dlg.get(), "cmdClose");
        EXPECT_FALSE(dlg->isVisible()) << closeBox;
        EXPECT_EQ(settings, before) << closeBox;
        EXPECT_EQ(edit(open().get(), "txtSuffix")->text(), "gdt") << closeBox;
    }
    EXPECT_FALSE(std::filesystem::exists(program / "Settings.ini"));
    EXPECT_EQ(buttons[0], "-");
}

TEST_F(OptionsDialogTest, EnterClosesItOnlyOnAFocusedButtonAndEscapeNever) {
    for (const char* name : {"cmdOK", "cmdClose"}) {
        auto dlg = open();
        dlg->show();
        auto* button = dlg->findChild<QPushButton*>(name);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_FALSE(dlg->isVisible()) << name;
        EXPECT_EQ(dlg->result() == QDialog::Accepted, name == std::string("cmdOK")) << name;
    }

    auto dlg = open();
    dlg->show();
    QTest::keyClick(edit(dlg.get(), "txtSuffix"), Qt::Key_Return);
    QTest::keyClick(edit(dlg.get(), "txtButton0"), Qt::Key_Escape);
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());
}

// A refused OK shows its message box and leaves the dialog open with the operator's edits.
TEST_F(OptionsDialogTest, RefusedOkShowsItsMessageAndKeepsTheEdits) {
    auto dlg = open();
    bool editsKept = false;
    ModalScript script;
    script
        .when("fOptions",
              [&](QWidget* w) {
                  edit(w, "txtButton0")->setText("CT");
                  check(w, "chkAcc")->click();
                  click(w, "cmdOK");
              })
        .when("QMessageBox",
              [&](QWidget* w) {
                  auto* box = static_cast<QMessageBox*>(w);
                  EXPECT_EQ(box->text(), "Bitte geben Sie eine Accession Number ein");
                  EXPECT_EQ(box->windowTitle(), "Morvik");
                  box->button(QMessageBox::Ok)->click();
              })
        .when("fOptions", [&](QWidget* w) {
            editsKept = edit(w, "txtButton0")->text() == "CT";
            click(w, "cmdClose");
        });
    EXPECT_EQ(dlg->exec(), QDialog::Rejected);
    EXPECT_TRUE(script.done()) << script.unexpected();
    EXPECT_TRUE(editsKept);
}

}  // namespace
}  // namespace morvik
