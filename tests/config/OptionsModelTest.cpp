#include "config/OptionsModel.h"

#include <gtest/gtest.h>

#include "diag/ErrorLog.h"
#include "support/CatalogueFile.h"
#include "support/FixedClock.h"
#include "support/OptionsTestSupport.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::CrLfLines;
using test::LoggedErrors;
using test::MessageLines;
using test::ReadBytes;
using test::RecordingOperator;
using test::TempFolder;
using test::WriteBytes;

class OptionsModelTest : public ::testing::Test {
  protected:
    // A fresh dialog over the current settings, as every opening makes one.
    OptionsModel& open() {
        model_.reset(new OptionsModel(
            settings, program.path(), log, op, picker,
            [this](int i, const std::string& caption) { captions.emplace_back(i, caption); }));
        model_->Form_Load();
        return *model_;
    }
    void settingsFile(const std::string& body) {
        WriteBytes(program / "Settings.ini", "[GDTService]\r\n" + body);
        settings = LoadAppSettings(program.path(), log);
    }
    std::string file() { return ReadBytes(program / "Settings.ini"); }

    TempFolder program;
    test::FixedClock clock;
    ErrorLog log{program.path(), clock};
    RecordingOperator op;
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
    return {f.chkKonica, f.chkFactory, f.chkOneGDT};
}

struct RuleCase {
    const char* what;
    Boxes before;
    OptionsBox clicked;
    bool to;
    Boxes after;
};

void PrintTo(const RuleCase& c, std::ostream* os) {
    *os << c.what;
}

class RuleCascade : public OptionsModelTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(RuleCascade, OneClickChangesTheOtherBoxes) {
    const RuleCase& c = GetParam();
    OptionsModel& m = open();
    // Set the starting boxes without their rules getting in the way of each other.
    m.SetChecked(&OptionsForm::chkKonica, c.before.konica);
    if (c.before.factory) m.SetChecked(&OptionsForm::chkFactory, true);
    if (c.before.oneGDT) m.SetChecked(&OptionsForm::chkOneGDT, true);
    ASSERT_EQ(shown(m.Form()), c.before) << c.what;

    m.SetChecked(c.clicked, c.to);
    EXPECT_EQ(shown(m.Form()), c.after) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuleCascade,
    ::testing::Values(RuleCase{"Konica clears DR-Factory and the one-file box",
                               {false, true, true},
                               &OptionsForm::chkKonica,
                               true,
                               {true, false, false}},
                      RuleCase{"the one-file box clears Konica and checks DR-Factory",
                               {true, false, false},
                               &OptionsForm::chkOneGDT,
                               true,
                               {false, true, true}},
                      RuleCase{"unchecking DR-Factory keeps the one-file box",
                               {false, true, true},
                               &OptionsForm::chkFactory,
                               false,
                               {false, false, true}},
                      RuleCase{"DR-Factory clears Konica",
                               {true, false, false},
                               &OptionsForm::chkFactory,
                               true,
                               {false, true, false}},
                      RuleCase{"unchecking Konica changes nothing else",
                               {true, false, false},
                               &OptionsForm::chkKonica,
                               false,
                               {false, false, false}},
                      RuleCase{"unchecking the one-file box keeps DR-Factory",
                               {false, true, true},
                               &OptionsForm::chkOneGDT,
                               false,
                               {false, true, false}},
                      RuleCase{"Carestream has no rule",
                               {false, true, true},
                               &OptionsForm::chkCarestream,
                               true,
                               {false, true, true}}));

struct NetzCase {
    const char* side;
    OptionsBox netz;
    OptionsText letter;
    bool OptionsForm::*enabled;
    std::string AppSettings::*stored;
};

void PrintTo(const NetzCase& c, std::ostream* os) {
    *os << c.side;
}

class DriveLetter : public OptionsModelTest, public ::testing::WithParamInterface<NetzCase> {};

TEST_P(DriveLetter, EnabledOnlyWithItsNetworkBoxAndKeptWhileDisabled) {
    const NetzCase& c = GetParam();
    OptionsModel& m = open();
    EXPECT_FALSE(m.Form().*c.enabled) << c.side;

    m.SetChecked(c.netz, true);
    EXPECT_TRUE(m.Form().*c.enabled) << c.side;
    m.SetText(c.letter, "N");
    m.SetChecked(c.netz, false);
    EXPECT_FALSE(m.Form().*c.enabled) << c.side;
    EXPECT_EQ(m.Form().*c.letter, "N") << c.side;

    ASSERT_TRUE(m.cmdOK_Click());
    EXPECT_EQ(settings.*c.stored, "N") << c.side;
    // Opening again shows the letter that was saved, in a disabled box.
    OptionsModel& again = open();
    EXPECT_EQ(again.Form().*c.letter, "N") << c.side;
    EXPECT_FALSE(again.Form().*c.enabled) << c.side;
    EXPECT_EQ(LoadAppSettings(program.path(), log).*c.stored, "N") << c.side;
}

INSTANTIATE_TEST_SUITE_P(
    Sides, DriveLetter,
    ::testing::Values(NetzCase{"Quell", &OptionsForm::chkQuellNetz, &OptionsForm::txtQuellBuchstabe,
                               &OptionsForm::txtQuellBuchstabeEnabled,
                               &AppSettings::QuellBuchstabe},
                      NetzCase{"Ziel", &OptionsForm::chkZielNetz, &OptionsForm::txtZielBuchstabe,
                               &OptionsForm::txtZielBuchstabeEnabled,
                               &AppSettings::ZielBuchstabe}));

TEST_F(OptionsModelTest, DriveLetterHoldsOneWholeCharacter) {
    OptionsModel& m = open();
    m.SetText(&OptionsForm::txtQuellBuchstabe, "XY");
    EXPECT_EQ(m.Form().txtQuellBuchstabe, "X");
    m.SetText(&OptionsForm::txtZielBuchstabe, "Ül");
    EXPECT_EQ(m.Form().txtZielBuchstabe, "Ü");
    // Other boxes take any length.
    m.SetText(&OptionsForm::txtSuffix, "gdtx");
    EXPECT_EQ(m.Form().txtSuffix, "gdtx");
}

// --- Loading ----------------------------------------------------------------------------------

struct LoadCase {
    Boxes stored;
    Boxes shown;
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    PrintTo(c.stored, os);
}

class ResolvedLoad : public OptionsModelTest, public ::testing::WithParamInterface<LoadCase> {};

// The three keys' lines as the file stores them: "Konica=1", "Factory=0", "OneGDT=0".
std::vector<std::string> keyLines(const Boxes& b) {
    const auto line = [](const char* key, bool on) { return key + std::string(on ? "=1" : "=0"); };
    return {line("Konica", b.konica), line("Factory", b.factory), line("OneGDT", b.oneGDT)};
}

TEST_P(ResolvedLoad, ForbiddenCombinationsShowAndAreSavedResolved) {
    const LoadCase& c = GetParam();
    std::string stored;
    for (const std::string& line : keyLines(c.stored)) stored += line + "\r\n";
    settingsFile(stored);
    ASSERT_EQ((Boxes{settings.Konica, settings.Factory, settings.OneGDT}), c.stored);
    OptionsModel& m = open();
    EXPECT_EQ(shown(m.Form()), c.shown);

    ASSERT_TRUE(m.cmdOK_Click());
    EXPECT_EQ((Boxes{settings.Konica, settings.Factory, settings.OneGDT}), c.shown);
    const std::string written = file();
    for (const std::string& line : keyLines(c.shown)) {
        EXPECT_NE(written.find("\r\n" + line + "\r\n"), std::string::npos) << line;
    }
}

// Konica=1 with Factory=1 (an old file) shows and is saved as Konica=0 and Factory=1.
INSTANTIATE_TEST_SUITE_P(Cases, ResolvedLoad,
                         ::testing::Values(LoadCase{{true, true, false}, {false, true, false}},
                                           LoadCase{{true, false, true}, {false, true, true}},
                                           LoadCase{{false, false, true}, {false, true, true}},
                                           LoadCase{{true, true, true}, {false, true, true}},
                                           LoadCase{{true, false, false}, {true, false, false}},
                                           LoadCase{{false, false, false}, {false, false, false}}));

TEST_F(OptionsModelTest, LoadsFromMemoryNotFromTheFile) {
    settingsFile("Modalitaet0=CT\r\nGDTQuell=/praxis/in\\\r\n");
    settings.GDTQuell = "/praxis/in";  // the main window drops the trailing separator
    settings.Modalitaet[0] = "MRT";
    OptionsModel& m = open();
    EXPECT_EQ(m.Form().txtButton[0], "MRT");
    EXPECT_EQ(m.Form().txtQuell, "/praxis/in");
}

// --- OK ---------------------------------------------------------------------------------------

OptionsModel& fillEveryField(OptionsModel& m, bool carestream) {
    const char* names[] = {"CT", "", "Ultraschall", "MRT", "DXA", "Mammo"};
    for (int i = 0; i < kModalityCount; ++i) {
        m.SetButtonText(i, names[i]);
        m.SetBodypart(i, i % 2 == 1);
    }
    m.SetText(&OptionsForm::txtQuell, "/srv/gdt/in/");
    m.SetText(&OptionsForm::txtZiel, "\\\\server\\ziel");
    m.SetText(&OptionsForm::txtSuffix, "GDT");
    m.SetText(&OptionsForm::txtQuellBuchstabe, "Q");
    m.SetText(&OptionsForm::txtZielBuchstabe, "Z");
    m.SetText(&OptionsForm::txtCommentField, "6220");
    m.SetText(&OptionsForm::txtAcc, "RAD");
    m.SetChecked(&OptionsForm::chkOneGDT, true);
    m.SetChecked(&OptionsForm::chkCarestream, carestream);
    m.SetChecked(&OptionsForm::chkAcc, true);
    m.SetChecked(&OptionsForm::chkQuellNetz, true);
    return m;
}

class WriteOrder : public OptionsModelTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WriteOrder, EveryKeyInOrderAndStoredFormKeepingOtherLines) {
    const bool carestream = GetParam();
    settingsFile("Kuerzel=MK\r\n");
    ASSERT_TRUE(fillEveryField(open(), carestream).cmdOK_Click());

    EXPECT_EQ(CrLfLines(program / "Settings.ini"),
              (std::vector<std::string>{"[GDTService]",
                                        "Kuerzel=MK",
                                        "Modalitaet0=CT",
                                        "Bodypart0=0",
                                        "Modalitaet1=",
                                        "Bodypart1=1",
                                        "Modalitaet2=Ultraschall",
                                        "Bodypart2=0",
                                        "Modalitaet3=MRT",
                                        "Bodypart3=1",
                                        "Modalitaet4=DXA",
                                        "Bodypart4=0",
                                        "Modalitaet5=Mammo",
                                        "Bodypart5=1",
                                        "GDTQuell=/srv/gdt/in/",
                                        "GDTZiel=\\\\server\\ziel",
                                        "Suffix=GDT",
                                        "QuellBuchstabe=Q",
                                        "ZielBuchstabe=Z",
                                        "CommentField=6220",
                                        "Konica=0",
                                        "Factory=1",
                                        std::string("Carestream=") + (carestream ? "1" : "0"),
                                        "Acc=1",
                                        "AccNum=RAD",
                                        "QuellNetz=1",
                                        "ZielNetz=0",
                                        "OneGDT=1"}));

    // Memory holds the texts exactly as typed, a trailing separator included.
    EXPECT_EQ(settings.GDTQuell, "/srv/gdt/in/");
    EXPECT_EQ(settings.Modalitaet[1], "");
    EXPECT_EQ(settings.Carestream, carestream);
    EXPECT_EQ(settings.Kuerzel, "MK");  // never the dialog's business
    EXPECT_TRUE(op.messages.empty());
    EXPECT_EQ(captions,
              (std::vector<std::pair<int, std::string>>{
                  {0, "CT"}, {1, ""}, {2, "Ultraschall"}, {3, "MRT"}, {4, "DXA"}, {5, "Mammo"}}));

    // The next opening shows what was saved, and so does the next start.
    OptionsModel& again = open();
    EXPECT_EQ(again.Form().txtButton[3], "MRT");
    EXPECT_EQ(again.Form().chkCarestream, carestream);
    EXPECT_EQ(LoadAppSettings(program.path(), log), settings);
}

INSTANTIATE_TEST_SUITE_P(Carestream, WriteOrder, ::testing::Bool());

TEST_F(OptionsModelTest, LineBreaksInTypedTextCannotAddKeys) {
    OptionsModel& m = open();
    m.SetButtonText(0, "CT\r\nGDTZiel=/anderswo");
    m.SetText(&OptionsForm::txtAcc, "A\nAcc=0");
    m.SetChecked(&OptionsForm::chkAcc, true);
    m.SetText(&OptionsForm::txtZiel, "/ziel");
    ASSERT_TRUE(m.cmdOK_Click());

    const AppSettings reread = LoadAppSettings(program.path(), log);
    EXPECT_EQ(reread.GDTZiel, "/ziel");
    EXPECT_TRUE(reread.Acc);
    EXPECT_EQ(reread.Modalitaet[0], "CT  GDTZiel=/anderswo");
    EXPECT_EQ(settings.Modalitaet[0], reread.Modalitaet[0]);
    EXPECT_EQ(captions.at(0).second, reread.Modalitaet[0]);
    EXPECT_EQ(CrLfLines(program / "Settings.ini").size(), 1u + 26u);  // the section and its keys
}

struct AccCase {
    bool acc;
    std::string prefix;
    bool saved;
};

void PrintTo(const AccCase& c, std::ostream* os) {
    *os << "Acc=" << c.acc << " prefix \"" << c.prefix << "\"";
}

class AccessionValidation : public OptionsModelTest,
                            public ::testing::WithParamInterface<AccCase> {};

TEST_P(AccessionValidation, PrefixIsNeededOnlyWithTheBoxChecked) {
    const AccCase& c = GetParam();
    const AppSettings before = settings;
    OptionsModel& m = open();
    m.SetButtonText(0, "CT");
    m.SetChecked(&OptionsForm::chkAcc, c.acc);
    m.SetText(&OptionsForm::txtAcc, c.prefix);

    EXPECT_EQ(m.cmdOK_Click(), c.saved);
    if (c.saved) {
        EXPECT_TRUE(op.messages.empty());
        EXPECT_EQ(settings.AccNum, c.prefix);
        EXPECT_NE(file().find("\r\nAccNum="), std::string::npos);
    } else {
        EXPECT_EQ(MessageLines(op),
                  (std::vector<std::string>{
                      "Morvik | no icon | Bitte geben Sie eine Accession Number ein"}));
        EXPECT_FALSE(std::filesystem::exists(program / "Settings.ini"));
        EXPECT_EQ(settings, before);
        EXPECT_TRUE(captions.empty());
        // The edits stay for the operator to complete.
        EXPECT_EQ(m.Form().txtButton[0], "CT");
        EXPECT_TRUE(m.Form().chkAcc);
    }
    EXPECT_FALSE(std::filesystem::exists(log.file()));
}

INSTANTIATE_TEST_SUITE_P(Cases, AccessionValidation,
                         ::testing::Values(AccCase{true, "", false}, AccCase{true, "R", true},
                                           AccCase{true, " ", true}, AccCase{false, "", true}));

TEST_F(OptionsModelTest, AbbrechenDiscardsEveryEdit) {
    settingsFile("Modalitaet0=CT\r\nSuffix=gdt\r\n");
    const std::string fileBefore = file();
    const AppSettings before = settings;
    fillEveryField(open(), true);  // then the dialog is closed without OK

    EXPECT_EQ(settings, before);
    EXPECT_EQ(file(), fileBefore);
    EXPECT_TRUE(captions.empty());
    OptionsModel& again = open();
    EXPECT_EQ(again.Form().txtButton[0], "CT");
    EXPECT_EQ(again.Form().txtQuell, "");
    EXPECT_FALSE(again.Form().chkOneGDT);
}

TEST_F(OptionsModelTest, FailedSaveIsToldAndLoggedAndCanBeRepeated) {
    // A folder where the file should be: the settings file cannot be replaced.
    std::filesystem::create_directory(program / "Settings.ini");
    OptionsModel& m = open();
    m.SetButtonText(2, "Sono");

    EXPECT_FALSE(m.cmdOK_Click());
    EXPECT_EQ(MessageLines(op),
              (std::vector<std::string>{
                  "Morvik | warning | Die Einstellungen konnten nicht gespeichert werden."}));
    const auto errors = LoggedErrors(log);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].loggedUnder("cmdOK_Click")) << errors[0].text;

    std::filesystem::remove(program / "Settings.ini");
    EXPECT_TRUE(m.cmdOK_Click());
    EXPECT_EQ(LoadAppSettings(program.path(), log).Modalitaet[2], "Sono");
    EXPECT_EQ(op.messages.size(), 1u);
}

// --- Folder picker ----------------------------------------------------------------------------

struct PickCase {
    const char* procedure;
    void (OptionsModel::*click)();
    OptionsText field;
};

void PrintTo(const PickCase& c, std::ostream* os) {
    *os << c.procedure;
}

class FolderButton : public OptionsModelTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(FolderButton, FillsOnlyWhenAFolderWasChosen) {
    const PickCase& c = GetParam();
    settings.GDTQuell = settings.GDTZiel = "/alt";
    OptionsModel& m = open();

    picker.answer = "";
    (m.*c.click)();
    EXPECT_EQ(m.Form().*c.field, "/alt");

    picker.answer = "/daten/gdt";
    (m.*c.click)();
    EXPECT_EQ(m.Form().*c.field, "/daten/gdt");
    EXPECT_EQ(picker.titles, (std::vector<std::string>(2, "Bitte wählen Sie einen Ordner...")));

    picker.fail = true;
    (m.*c.click)();
    EXPECT_EQ(m.Form().*c.field, "/daten/gdt");
    const auto errors = LoggedErrors(log);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].loggedUnder(c.procedure)) << errors[0].text;
    // Nothing is saved until OK.
    EXPECT_EQ(settings.GDTQuell, "/alt");
    EXPECT_EQ(settings.GDTZiel, "/alt");
}

INSTANTIATE_TEST_SUITE_P(Buttons, FolderButton,
                         ::testing::Values(PickCase{"cmdQuell_Click", &OptionsModel::cmdQuell_Click,
                                                    &OptionsForm::txtQuell},
                                           PickCase{"cmdZiel_Click", &OptionsModel::cmdZiel_Click,
                                                    &OptionsForm::txtZiel}));

}  // namespace
}  // namespace morvik
