#include "app/OptionsModel.h"

#include <gtest/gtest.h>

#include "config/SettingsTable.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/SettingsFile.h"

namespace morvik {
namespace {

using test::CrLfLines;
using test::ReadBytes;
using test::WriteBytes;

class OptionsModelTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    // A fresh dialog over the current settings, as every opening makes one.
    OptionsModel& open() {
        model_.reset(new OptionsModel(
            settings, program.path(), log, op, picker,
            [this](int i, const std::string& caption) { captions.emplace_back(i, caption); }));
        model_->Load();
        return *model_;
    }
    void settingsFile(const std::string& body) {
        test::WriteSettings(program.path(), body);
        settings = LoadAppSettings(program.path(), log);
    }
    std::string file() { return ReadBytes(program / "Settings.ini"); }

    test::RecordingOperator op;
    test::FakePicker picker;
    AppSettings settings = LoadAppSettings(program.path(), log);
    std::vector<std::pair<int, std::string>> captions;

  private:
    std::unique_ptr<OptionsModel> model_;
};

// --- The check-box rules --------------------------------------------------------------------

struct Boxes {
    bool konica, factory, oneGDT;
    bool operator==(const Boxes&) const = default;
};

void PrintTo(const Boxes& b, std::ostream* os) {
    *os << "Konica=" << b.konica << " Factory=" << b.factory << " OneGDT=" << b.oneGDT;
}

Boxes shown(const OptionsForm& f) {
    return {f.values.konica, f.values.drFactory, f.values.oneFilePerPatient};
}

using F = OptionsForm;
using S = AppSettings;

// One click on a variant box changes the others by its rule.
TEST_F(OptionsModelTest, OneClickChangesTheOtherBoxes) {
    struct Case {
        Boxes before;
        OptionsBox clicked;
        Boxes after;
    };
    for (const Case& c :
         {Case{{0, 1, 1}, &S::konica, {1, 0, 0}}, Case{{1, 0, 0}, &S::oneFilePerPatient, {0, 1, 1}},
          Case{{1, 0, 0}, &S::drFactory, {0, 1, 0}}}) {
        OptionsModel& m = open();
        m.SetChecked(&S::konica, c.before.konica);
        if (c.before.factory) m.SetChecked(&S::drFactory, true);
        if (c.before.oneGDT) m.SetChecked(&S::oneFilePerPatient, true);
        ASSERT_EQ(shown(m.Form()), c.before);
        m.SetChecked(c.clicked, true);
        EXPECT_EQ(shown(m.Form()), c.after) << ::testing::PrintToString(c.before);
    }
}

// Each drive letter box is enabled only with its network box, and keeps its letter while
// disabled.
TEST_F(OptionsModelTest, DriveLetterEnabledOnlyWithItsNetworkBoxAndKeptWhileDisabled) {
    struct Side {
        OptionsBox connect;
        OptionsText letter;
        bool OptionsForm::*enabled;
        std::string AppSettings::*stored;
    };
    for (const Side& c : {Side{&S::connectSource, &S::sourceDrive, &F::sourceDriveEnabled,
                               &AppSettings::sourceDrive},
                          Side{&S::connectTarget, &S::targetDrive, &F::targetDriveEnabled,
                               &AppSettings::targetDrive}}) {
        OptionsModel& m = open();
        EXPECT_FALSE(m.Form().*c.enabled);
        m.SetChecked(c.connect, true);
        EXPECT_TRUE(m.Form().*c.enabled);
        m.SetText(c.letter, "Ül");  // one whole character
        EXPECT_EQ(m.Form().values.*c.letter, "Ü");
        m.SetText(c.letter, "N");
        m.SetChecked(c.connect, false);
        EXPECT_FALSE(m.Form().*c.enabled);
        ASSERT_TRUE(m.Confirm());
        EXPECT_EQ(LoadAppSettings(program.path(), log).*c.stored, "N");
        // Opening again shows the letter that was saved, in a disabled box.
        EXPECT_EQ(open().Form().values.*c.letter, "N");
        EXPECT_FALSE(open().Form().*c.enabled);
    }
}

// --- Loading ----------------------------------------------------------------------------------

// Forbidden combinations of the variant boxes in the file (an old file: Konica=1 with
// Factory=1) show resolved and are saved resolved.
TEST_F(OptionsModelTest, ForbiddenCombinationsShowAndAreSavedResolved) {
    const std::pair<Boxes, Boxes> cases[] = {{{1, 1, 0}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 1}}};
    for (const auto& [stored, resolved] : cases) {
        const auto bit = [](bool on) { return std::string(on ? "1\r\n" : "0\r\n"); };
        settingsFile("Konica=" + bit(stored.konica) + "Factory=" + bit(stored.factory) +
                     "OneGDT=" + bit(stored.oneGDT));
        OptionsModel& m = open();
        EXPECT_EQ(shown(m.Form()), resolved);
        ASSERT_TRUE(m.Confirm());
        const AppSettings saved = LoadAppSettings(program.path(), log);
        EXPECT_EQ((Boxes{saved.konica, saved.drFactory, saved.oneFilePerPatient}), resolved);
    }
}

TEST_F(OptionsModelTest, LoadsFromMemoryNotFromTheFile) {
    settingsFile("Modalitaet0=CT\r\nGDTQuell=/praxis/in\\\r\n");
    settings.sourceFolder = "/praxis/in";  // the main window drops the trailing separator
    settings.modalityNames[0] = "MRT";
    OptionsModel& m = open();
    EXPECT_EQ(m.Form().values.modalityNames[0], "MRT");
    EXPECT_EQ(m.Form().values.sourceFolder, "/praxis/in");
}

// Every key the dialog edits is shown as memory holds it, and OK saves it so.
TEST_F(OptionsModelTest, EveryDialogKeyIsShownAndSavedAsMemoryHoldsIt) {
    for (const Setting* row : OptionSettings()) {
        settings = AppSettings{};
        settings.accessionPrefix = "RAD";  // OK needs it with the box checked
        settings.worklistFolder = "W";     // likewise the worklist its folder
        settings.worklistKeepDays = "7";
        const bool text = row->kind == Setting::Kind::Text;
        const std::string value = row->key == "AufbewahrungTage" ? "30" : "W";
        if (text) {
            row->Text(settings) = value;
        } else {
            row->Truth(settings) = true;
        }
        OptionsModel& m = open();
        const AppSettings& shown = m.Form().values;
        EXPECT_TRUE(text ? row->Text(shown) == value : row->Truth(shown)) << row->key;
        ASSERT_TRUE(m.Confirm()) << row->key;
        const AppSettings saved = LoadAppSettings(program.path(), log);
        if (row->section == kWorklistSection && !settings.worklistEnabled) continue;
        EXPECT_TRUE(text ? row->Text(saved) == value : row->Truth(saved)) << row->key;
    }
}

// --- OK ---------------------------------------------------------------------------------------

OptionsModel& fillEveryField(OptionsModel& m) {
    const char* names[] = {"CT", "", "Ultraschall", "MRT", "DXA", "Mammo"};
    for (int i = 0; i < kModalityCount; ++i) {
        m.SetModalityName(i, names[i]);
        m.SetWithoutBodyParts(i, i % 2 == 1);
    }
    m.SetText(&S::sourceFolder, "/srv/gdt/in/");
    m.SetText(&S::targetFolder, "\\\\server\\ziel");
    m.SetText(&S::requestSuffix, "GDT");
    m.SetText(&S::sourceDrive, "Q");
    m.SetText(&S::targetDrive, "Z");
    m.SetText(&S::commentField, "6220");
    m.SetText(&S::accessionPrefix, "RAD");
    m.SetChecked(&S::oneFilePerPatient, true);
    m.SetChecked(&S::carestream, true);
    m.SetChecked(&S::accession, true);
    m.SetChecked(&S::connectSource, true);
    return m;
}

TEST_F(OptionsModelTest, OkWritesEveryKeyInOrderKeepingOtherLines) {
    settingsFile("Kuerzel=MK\r\n");
    ASSERT_TRUE(fillEveryField(open()).Confirm());

    // Every key the dialog edits, in the order the dialog writes them, after the lines there were.
    EXPECT_EQ(ReadBytes(program / "Settings.ini"),
              "[GDTService]\r\nKuerzel=MK\r\n"
              "Modalitaet0=CT\r\nBodypart0=0\r\nModalitaet1=\r\nBodypart1=1\r\n"
              "Modalitaet2=Ultraschall\r\nBodypart2=0\r\nModalitaet3=MRT\r\nBodypart3=1\r\n"
              "Modalitaet4=DXA\r\nBodypart4=0\r\nModalitaet5=Mammo\r\nBodypart5=1\r\n"
              "GDTQuell=/srv/gdt/in/\r\nGDTZiel=\\\\server\\ziel\r\nSuffix=GDT\r\n"
              "QuellBuchstabe=Q\r\nZielBuchstabe=Z\r\nCommentField=6220\r\nKonica=0\r\n"
              "Factory=1\r\nCarestream=1\r\nAcc=1\r\nAccNum=RAD\r\nQuellNetz=1\r\n"
              "ZielNetz=0\r\nOneGDT=1\r\n");

    // Memory holds the texts exactly as typed, a trailing separator included.
    EXPECT_EQ(settings.sourceFolder, "/srv/gdt/in/");
    EXPECT_EQ(settings.modalityNames[1], "");
    EXPECT_TRUE(settings.carestream);
    EXPECT_EQ(settings.initials, "MK");  // never the dialog's business
    EXPECT_TRUE(op.messages.empty());
    EXPECT_EQ(captions,
              (std::vector<std::pair<int, std::string>>{
                  {0, "CT"}, {1, ""}, {2, "Ultraschall"}, {3, "MRT"}, {4, "DXA"}, {5, "Mammo"}}));

    // The next opening shows what was saved, and so does the next start.
    OptionsModel& again = open();
    EXPECT_EQ(again.Form().values.modalityNames[3], "MRT");
    EXPECT_TRUE(again.Form().values.carestream);
    EXPECT_EQ(LoadAppSettings(program.path(), log), settings);
}

// The prefix is needed only with the box checked; a refused OK changes nothing and keeps the
// edits for the operator to complete.
TEST_F(OptionsModelTest, AccessionPrefixIsNeededOnlyWithItsBox) {
    OptionsModel& m = open();
    m.SetModalityName(0, "CT");
    m.SetChecked(&S::accession, true);
    EXPECT_FALSE(m.Confirm());
    EXPECT_EQ(op.Lines(), std::vector<std::string>{
                              "Morvik | no icon | Bitte geben Sie eine Accession Number ein"});
    EXPECT_FALSE(std::filesystem::exists(program / "Settings.ini"));
    EXPECT_TRUE(captions.empty());
    const std::pair<bool, const char*> accepted[] = {{true, " "}, {false, ""}};
    for (auto [acc, prefix] : accepted) {
        m.SetChecked(&S::accession, acc);
        m.SetText(&S::accessionPrefix, prefix);
        EXPECT_TRUE(m.Confirm()) << prefix;
        EXPECT_EQ(settings.accessionPrefix, prefix);
    }
    EXPECT_EQ(op.messages.size(), 1u);
    EXPECT_TRUE(test::Logged(log, {}));
}

// The worklist's settings must be usable before they are saved: a folder when it is on, codes and
// AE titles a device can match, a sensible number of days. A refused OK saves nothing and keeps
// the edits; the folder button fills the folder.
TEST_F(OptionsModelTest, WorklistSettingsAreCheckedBeforeTheyAreSaved) {
    OptionsModel& m = open();
    m.SetChecked(&S::worklistEnabled, true);
    EXPECT_FALSE(m.Confirm());
    picker.answer = "/srv/worklist/MORVIK";
    m.BrowseWorklistFolder();
    EXPECT_EQ(m.Form().values.worklistFolder, "/srv/worklist/MORVIK");

    const auto refused = [&](auto edit, auto undo) {
        edit();
        const bool saved = m.Confirm();
        undo();
        return !saved;
    };
    EXPECT_TRUE(refused([&] { m.SetWorklistModalityCode(2, "us"); },
                        [&] { m.SetWorklistModalityCode(2, ""); }));
    EXPECT_TRUE(refused([&] { m.SetWorklistModalityCode(3, "ULTRASCHALL_GERAET"); },
                        [&] { m.SetWorklistModalityCode(3, ""); }));
    EXPECT_TRUE(refused([&] { m.SetWorklistStationAETitle(1, "RÖNTGEN1"); },
                        [&] { m.SetWorklistStationAETitle(1, ""); }));
    EXPECT_TRUE(refused([&] { m.SetWorklistStationAETitle(1, "RAUM\\1"); },
                        [&] { m.SetWorklistStationAETitle(1, ""); }));
    EXPECT_TRUE(refused([&] { m.SetText(&S::worklistKeepDays, "0"); },
                        [&] { m.SetText(&S::worklistKeepDays, "7"); }));
    EXPECT_FALSE(std::filesystem::exists(program / "Settings.ini"));
    ASSERT_EQ(op.messages.size(), 6u);
    EXPECT_EQ(op.messages[0].text, kWorklistFolderMissing);
    EXPECT_NE(op.messages[1].text.find("Modalität 3"), std::string::npos) << op.messages[1].text;
    EXPECT_NE(op.messages[3].text.find("AE-Titel"), std::string::npos) << op.messages[3].text;
    EXPECT_EQ(op.messages[5].text, kWorklistKeepDaysInvalid);

    m.SetWorklistModalityCode(1, "DX");
    m.SetWorklistStationAETitle(1, "DR_RAUM1");
    m.SetText(&S::worklistKeepDays, "14");
    ASSERT_TRUE(m.Confirm());
    const AppSettings saved = LoadAppSettings(program.path(), log);
    EXPECT_TRUE(saved.worklistEnabled);
    EXPECT_EQ(saved.worklistModalityCodes[1], "DX");
    EXPECT_EQ(saved.worklistStationAETitles[1], "DR_RAUM1");
    EXPECT_EQ(WorklistKeepDays(saved), 14);
}

TEST_F(OptionsModelTest, FailedSaveIsToldAndLoggedAndCanBeRepeated) {
    // A folder where the file should be: the settings file cannot be replaced.
    std::filesystem::create_directory(program / "Settings.ini");
    OptionsModel& m = open();
    m.SetModalityName(2, "Sono");

    EXPECT_FALSE(m.Confirm());
    EXPECT_EQ(op.Lines(),
              (std::vector<std::string>{
                  "Morvik | warning | Die Einstellungen konnten nicht gespeichert werden."}));
    EXPECT_TRUE(test::Logged(log, {"cmdOK_Click"}));

    std::filesystem::remove(program / "Settings.ini");
    EXPECT_TRUE(m.Confirm());
    EXPECT_EQ(LoadAppSettings(program.path(), log).modalityNames[2], "Sono");
    EXPECT_EQ(op.messages.size(), 1u);
}

// --- Folder picker ----------------------------------------------------------------------------

// A folder button fills its box only when a folder was chosen; a failing picker is logged under
// the button's procedure. Nothing is saved until OK.
TEST_F(OptionsModelTest, FolderButtonFillsOnlyWhenAFolderWasChosen) {
    settings.sourceFolder = settings.targetFolder = "/alt";
    struct Button {
        const char* procedure;
        void (OptionsModel::*click)();
        OptionsText field;
    };
    for (const Button& c :
         {Button{"cmdQuell_Click", &OptionsModel::BrowseSourceFolder, &S::sourceFolder},
          Button{"cmdZiel_Click", &OptionsModel::BrowseTargetFolder, &S::targetFolder}}) {
        OptionsModel& m = open();
        picker = test::FakePicker();
        (m.*c.click)();
        EXPECT_EQ(m.Form().values.*c.field, "/alt");
        picker.answer = "/daten/gdt";
        (m.*c.click)();
        EXPECT_EQ(m.Form().values.*c.field, "/daten/gdt");
        picker.fail = true;
        (m.*c.click)();
        EXPECT_EQ(m.Form().values.*c.field, "/daten/gdt");
        EXPECT_TRUE(test::LoggedErrors(log).back().loggedUnder(c.procedure));
    }
    EXPECT_EQ(test::LoggedErrors(log).size(), 2u);
    EXPECT_EQ(settings.sourceFolder, "/alt");
    EXPECT_EQ(picker.titles, (std::vector<std::string>(3, "Bitte wählen Sie einen Ordner...")));
}

}  // namespace
}  // namespace morvik
