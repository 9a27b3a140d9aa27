#include "ui/OptionsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "diag/ErrorLog.h"
#include "support/FixedClock.h"
#include "support/OptionsTestSupport.h"
#include "support/TempFolder.h"
#include "ui/ModalScript.h"
#include "ui/QtFolderPicker.h"

namespace morvik {
namespace {

using test::ModalScript;

class OptionsDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<FOptions> open() {
        return std::make_unique<FOptions>(
            settings, program.path(), log,
            [this](int i, const std::string& caption) {
                buttons[static_cast<std::size_t>(i)] = caption;
            },
            picker);
    }
    template <class W>
    static W* child(QWidget* dlg, const char* name) {
        W* w = dlg->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QLineEdit* edit(QWidget* dlg, const char* name) { return child<QLineEdit>(dlg, name); }
    static QCheckBox* check(QWidget* dlg, const char* name) { return child<QCheckBox>(dlg, name); }
    static void click(QWidget* dlg, const char* name) {
        child<QAbstractButton>(dlg, name)->click();
    }
    static QString labelOf(QWidget* dlg, QWidget* input) {
        for (QLabel* label : dlg->findChildren<QLabel*>()) {
            if (label->buddy() == input) return label->text();
        }
        return {};
    }

    test::TempFolder program;
    test::FixedClock clock;
    ErrorLog log{program.path(), clock};
    test::FakePicker picker;
    AppSettings settings = LoadAppSettings(program.path(), log);
    std::array<std::string, kModalityCount> buttons{"-", "-", "-", "-", "-", "-"};
};

struct Element {
    const char* name;
    const char* text;  // the caption, or for a text box the text of its label
};

TEST_F(OptionsDialogTest, ElementsCarryTheirNamesTextsAndLabels) {
    auto dlg = open();
    EXPECT_EQ(dlg->windowTitle(), "Einstellungen");
    EXPECT_EQ(child<QGroupBox>(dlg.get(), "frmMod")->title(), "Modalitäten");
    EXPECT_EQ(child<QGroupBox>(dlg.get(), "fraLaufwerke")->title(), "");

    const std::vector<Element> texts = {{"txtButton0", "Scan Button Text:"},
                                        {"txtButton1", "Röntgen Button Text:"},
                                        {"txtButton2", "Button 3 Text:"},
                                        {"txtButton3", "Button 4 Text:"},
                                        {"txtButton4", "Button 5 Text:"},
                                        {"txtButton5", "Button 6 Text:"},
                                        {"txtQuell", "GDT-Quellpfad:"},
                                        {"txtQuellBuchstabe", "Laufwerksbuchstabe:"},
                                        {"txtZiel", "GDT-Zielpfad:"},
                                        {"txtZielBuchstabe", "Laufwerksbuchstabe:"},
                                        {"txtSuffix", "Suffix:"},
                                        {"txtAcc", "(Prefix)"},
                                        {"txtCommentField", "Kommentarfeld:"}};
    for (const Element& e : texts) {
        QLineEdit* box = edit(dlg.get(), e.name);
        EXPECT_EQ(labelOf(dlg.get(), box), QString::fromUtf8(e.text)) << e.name;
        EXPECT_EQ(box->maxLength(), QString(e.name).endsWith("Buchstabe") ? 1 : 32767) << e.name;
    }

    std::vector<Element> captions = {
        {"chkQuellNetz", "Automatisches verbinden zum Netzlaufwerk"},
        {"chkZielNetz", "Automatisches verbinden zum Netzlaufwerk"},
        {"chkAcc", "Accession Number"},
        {"chkKonica", "Konica"},
        {"chkFactory", "DR-Factory"},
        {"chkCarestream", "Carestream"},
        {"chkOneGDT",
         "Erzeuge nur eine Datei für den Patienten (nur in Verbindung mit DR-Factory) "},
        {"cmdSelectBodyparts", "Bodyparts auswählen"},
        {"cmdOK", "OK"},
        {"cmdClose", "Abbrechen"}};
    const std::string bodyparts[] = {"chkBodypart0", "chkBodypart1", "chkBodypart2",
                                     "chkBodypart3", "chkBodypart4", "chkBodypart5"};
    for (const std::string& name : bodyparts)
        captions.push_back({name.c_str(), "ohne Körperteile"});
    for (const Element& e : captions) {
        auto* button = child<QAbstractButton>(dlg.get(), e.name);
        EXPECT_EQ(button->text().remove('&'), QString::fromUtf8(e.text)) << e.name;
    }

    // Screen readers: every input is named by a label or its own name, labels keep their text.
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_TRUE(label->accessibleName().isEmpty()) << label->text().toStdString();
        } else if (w->focusPolicy() != Qt::NoFocus) {
            auto* button = qobject_cast<QAbstractButton*>(w);
            const bool named = !w->accessibleName().isEmpty() || !labelOf(dlg.get(), w).isEmpty() ||
                               (button && !button->text().isEmpty());
            EXPECT_TRUE(named) << w->objectName().toStdString();
        }
    }
    // Boxes that share a caption are told apart by their names.
    EXPECT_NE(check(dlg.get(), "chkQuellNetz")->accessibleName(),
              check(dlg.get(), "chkZielNetz")->accessibleName());
    EXPECT_NE(check(dlg.get(), "chkBodypart0")->accessibleName(),
              check(dlg.get(), "chkBodypart1")->accessibleName());
}

TEST_F(OptionsDialogTest, TabOrderRunsTopToBottom) {
    auto dlg = open();
    const std::vector<std::string> expected = {"txtButton0",
                                               "chkBodypart0",
                                               "txtButton1",
                                               "chkBodypart1",
                                               "txtButton2",
                                               "chkBodypart2",
                                               "txtButton3",
                                               "chkBodypart3",
                                               "txtButton4",
                                               "chkBodypart4",
                                               "txtButton5",
                                               "chkBodypart5",
                                               "txtQuell",
                                               "cmdQuell",
                                               "chkQuellNetz",
                                               "txtQuellBuchstabe",
                                               "txtZiel",
                                               "cmdZiel",
                                               "chkZielNetz",
                                               "txtZielBuchstabe",
                                               "txtSuffix",
                                               "chkAcc",
                                               "txtAcc",
                                               "chkKonica",
                                               "chkFactory",
                                               "chkCarestream",
                                               "chkOneGDT",
                                               "txtCommentField",
                                               "cmdSelectBodyparts",
                                               "cmdOK",
                                               "cmdClose"};
    std::vector<std::string> chain;
    QWidget* w = edit(dlg.get(), "txtButton0");
    do {
        if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w->objectName().toStdString());
        w = w->nextInFocusChain();
    } while (w != edit(dlg.get(), "txtButton0") && chain.size() < 100);
    EXPECT_EQ(chain, expected);
}

// The rules themselves are the model's; here: the widgets show what the model decided, and
// what they show is what OK saves and hands to the main window.
TEST_F(OptionsDialogTest, WidgetsFollowTheModelAndOkSavesThem) {
    settings.Konica = settings.Factory = true;
    settings.QuellBuchstabe = "Q";
    auto dlg = open();
    dlg->show();
    QCheckBox* konica = check(dlg.get(), "chkKonica");
    QCheckBox* factory = check(dlg.get(), "chkFactory");
    EXPECT_FALSE(konica->isChecked());
    EXPECT_TRUE(factory->isChecked());
    konica->click();
    EXPECT_FALSE(factory->isChecked());
    check(dlg.get(), "chkOneGDT")->click();
    EXPECT_FALSE(konica->isChecked());
    EXPECT_TRUE(factory->isChecked());

    QLineEdit* letter = edit(dlg.get(), "txtQuellBuchstabe");
    EXPECT_FALSE(letter->isEnabled());
    check(dlg.get(), "chkQuellNetz")->click();
    EXPECT_TRUE(letter->isEnabled());
    letter->clear();
    QTest::keyClicks(letter, "XY");
    EXPECT_EQ(letter->text(), "X");
    EXPECT_FALSE(edit(dlg.get(), "txtZielBuchstabe")->isEnabled());

    picker.answer = "/daten/gdt";
    click(dlg.get(), "cmdQuell");
    picker.answer = "";
    click(dlg.get(), "cmdZiel");
    EXPECT_EQ(picker.titles.size(), 2u);
    EXPECT_EQ(edit(dlg.get(), "txtQuell")->text(), "/daten/gdt");
    EXPECT_EQ(edit(dlg.get(), "txtZiel")->text(), "");

    QLineEdit* name = edit(dlg.get(), "txtButton3");
    name->selectAll();
    QTest::keyClicks(name, "MRT");
    check(dlg.get(), "chkCarestream")->click();
    click(dlg.get(), "cmdOK");

    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(buttons, (std::array<std::string, kModalityCount>{
                           "Scan", "Röntgen", "Modalität 3", "MRT", "Modalität 5", "Modalität 6"}));
    EXPECT_EQ(settings.QuellBuchstabe, "X");
    EXPECT_EQ(settings.GDTQuell, "/daten/gdt");
    EXPECT_TRUE(settings.OneGDT && settings.Factory && !settings.Konica && settings.Carestream);
    EXPECT_EQ(LoadAppSettings(program.path(), log), settings);
    EXPECT_EQ(edit(open().get(), "txtButton3")->text(), "MRT");
}

TEST_F(OptionsDialogTest, AbbrechenAndTheCloseBoxDiscard) {
    const AppSettings before = settings;
    for (bool closeBox : {false, true}) {
        auto dlg = open();
        dlg->show();
        edit(dlg.get(), "txtSuffix")->setText("txt");
        check(dlg.get(), "chkBodypart2")->click();
        if (closeBox) {
            dlg->close();
        } else {
            click(dlg.get(), "cmdClose");
        }
        EXPECT_FALSE(dlg->isVisible()) << closeBox;
        EXPECT_EQ(settings, before) << closeBox;
        EXPECT_EQ(edit(open().get(), "txtSuffix")->text(), "gdt") << closeBox;
    }
    EXPECT_FALSE(std::filesystem::exists(program / "Settings.ini"));
    EXPECT_EQ(buttons[0], "-");
}

TEST_F(OptionsDialogTest, EnterAndEscapeDoNotCloseIt) {
    auto dlg = open();
    bool stillOpen = false;
    ModalScript script;
    script.when("fOptions", [&](QWidget* w) {
        QTest::keyClick(edit(w, "txtSuffix"), Qt::Key_Return);
        QTest::keyClick(edit(w, "txtButton0"), Qt::Key_Escape);
        QTest::keyClick(w, Qt::Key_Escape);
        stillOpen = w->isVisible();
        click(w, "cmdClose");
    });
    EXPECT_EQ(dlg->exec(), QDialog::Rejected);
    EXPECT_TRUE(script.done()) << script.unexpected();
    EXPECT_TRUE(stillOpen);
}

struct MessageCase {
    const char* what;
    bool settingsFolderBlocked;  // Settings.ini is a folder and cannot be written
    const char* text;
    QMessageBox::Icon icon;
};

void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << c.what;
}

class OptionsMessage : public OptionsDialogTest,
                       public ::testing::WithParamInterface<MessageCase> {};

TEST_P(OptionsMessage, IsShownAndTheDialogStaysOpenWithItsEdits) {
    const MessageCase& c = GetParam();
    if (c.settingsFolderBlocked) std::filesystem::create_directory(program / "Settings.ini");
    auto dlg = open();
    bool editsKept = false;
    ModalScript script;
    script
        .when("fOptions",
              [&](QWidget* w) {
                  edit(w, "txtButton0")->setText("CT");
                  if (!c.settingsFolderBlocked) check(w, "chkAcc")->click();
                  click(w, "cmdOK");
              })
        .when("QMessageBox",
              [&](QWidget* w) {
                  auto* box = static_cast<QMessageBox*>(w);
                  EXPECT_EQ(box->text(), QString::fromUtf8(c.text));
                  EXPECT_EQ(box->windowTitle(), "Morvik");
                  EXPECT_EQ(box->icon(), c.icon);
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

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsMessage,
    ::testing::Values(MessageCase{"accession", false, "Bitte geben Sie eine Accession Number ein",
                                  QMessageBox::NoIcon},
                      MessageCase{"not saved", true,
                                  "Die Einstellungen konnten nicht gespeichert werden.",
                                  QMessageBox::Warning}),
    [](const auto& paramInfo) {
        return paramInfo.param.settingsFolderBlocked ? "NotSaved" : "Accession";
    });

// The real chooser: Qt's own directory dialog on this platform.
TEST(QtFolderPickerTest, ReturnsTheChosenFolderOrNothing) {
    test::TempFolder root;
    std::filesystem::create_directory(root / "GDT");
    const QString chosen = QString::fromStdString((root / "GDT").string());
    for (bool cancel : {false, true}) {
        QString title;
        bool directoriesOnly = false;
        ModalScript script;
        script.when("QFileDialog", [&](QWidget* w) {
            auto* dialog = static_cast<QFileDialog*>(w);
            title = dialog->windowTitle();
            directoriesOnly = dialog->fileMode() == QFileDialog::Directory &&
                              dialog->testOption(QFileDialog::ShowDirsOnly);
            if (cancel) {
                dialog->reject();
            } else {
                dialog->setDirectory(chosen + "/");
                static_cast<QDialog*>(dialog)->accept();  // runs QFileDialog::accept
            }
        });
        QtFolderPicker picker;
        const std::string result = picker.BrowseForFolder("Bitte wählen Sie einen Ordner...");
        EXPECT_TRUE(script.done()) << script.unexpected();
        EXPECT_EQ(title, "Bitte wählen Sie einen Ordner...");
        EXPECT_TRUE(directoriesOnly);
        EXPECT_EQ(result, cancel ? "" : chosen.toStdString()) << cancel;
    }
}

}  // namespace
}  // namespace morvik
