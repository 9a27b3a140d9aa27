#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/OrderSession.h"
#include "diag/ErrorLog.h"
#include "platform/FileSystem.h"
#include "support/FixedClock.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::CrLfLines;
using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const std::string kRequest = "01380006301\r\n0133000471\r\n0153101Muster\r\n0143102Erika\r\n";
const char* const kNotFound = "GDT-File wurde nicht gefunden.";
const char* const kNewRequest =
    "Neue Anforderung geladen. Bitte prüfen Sie den Patienten und bestätigen Sie erneut.";
const char* const kFailed =
    "Der Auftrag konnte nicht angelegt werden. Details stehen im Fehlerprotokoll.";
const char* const kSuccess = "Der Auftrag wurde erfolgreich angelegt.";

std::vector<BodyPartEntry> catalogueRows(std::initializer_list<const char*> names) {
    std::vector<BodyPartEntry> rows;
    int i = 0;
    for (const char* n : names) {
        ++i;
        rows.push_back({n, "A" + std::to_string(i), "F" + std::to_string(i)});
    }
    return rows;
}

class OrderSessionTest : public ::testing::Test {
  protected:
    OrderSessionTest() {
        std::filesystem::create_directory(in());
        std::filesystem::create_directory(out());
    }

    std::filesystem::path in() const { return program / "in"; }
    std::filesystem::path out() const { return program / "out"; }

    // Settings.ini with the folders, initials and the extra lines given.
    void settings(const std::string& extra = "") {
        WriteBytes(program / "Settings.ini", "[GDTService]\r\nGDTQuell=" + in().string() +
                                                 "\r\nGDTZiel=" + out().string() +
                                                 "\r\nKuerzel=AB\r\n" + extra);
    }

    void load(std::initializer_list<const char*> names = {"Abdomen", "Becken", "Knie links",
                                                          "Knie rechts"}) {
        session.Form_Load();
        session.FillCatalogue(catalogueRows(names));
    }

    void add(std::size_t catalogueRow) {
        session.SelectCatalogueRow(catalogueRow);
        session.lvBodyparts_DblClick();
    }

    std::vector<std::string> orders() const { return FileNames(out()); }
    std::vector<std::string> logLines() const {
        return std::filesystem::exists(log.file()) ? CrLfLines(log.file())
                                                   : std::vector<std::string>{};
    }

    TempFolder program;
    test::FixedClock clock;
    ErrorLog log{program.path(), clock};
    test::RecordingOperator op;
    std::vector<std::pair<std::string, std::string>> driveCalls;
    bool driveResult = true;
    OrderSession session{program.path(), log, op,
                         [this](const std::string& l, const std::string& r) {
                             driveCalls.emplace_back(l, r);
                             return driveResult;
                         }};
};

// ---- Loading --------------------------------------------------------------------------------

TEST_F(OrderSessionTest, FirstStartWithoutSettingsFile) {
    session.Form_Load();
    EXPECT_EQ(session.ModalityCaptions(),
              (std::array<std::string, 6>{"Scan", "Röntgen", "Modalität 3", "Modalität 4",
                                          "Modalität 5", "Modalität 6"}));
    EXPECT_EQ(session.CheckedModality(), 1);
    EXPECT_TRUE(session.Catalogue().Enabled());
    EXPECT_FALSE(session.OkEnabled());
    EXPECT_EQ(session.Patient().id, "ID:");
    EXPECT_EQ(session.Patient().name, "Name:");
    EXPECT_EQ(session.WindowTitle(), "Morvik Version 1.0.24");
    // The empty source folder cannot be listed: logged, and no not-found message.
    EXPECT_TRUE(op.messages.empty());
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" - Form_Load"));
}

TEST_F(OrderSessionTest, ModalityOneWithoutBodyPartsAtLoad) {
    settings("Bodypart1=1\r\n");
    session.Form_Load();
    EXPECT_FALSE(session.Catalogue().Enabled());
    EXPECT_TRUE(session.OkEnabled());
    EXPECT_EQ(session.AddedCount(), 0u);
}

TEST_F(OrderSessionTest, RequestFoundAndShown) {
    settings();
    WriteBytes(in() / "ANFRAGE.GDT", kRequest);
    session.Form_Load();
    EXPECT_EQ(session.Patient().id, "ID: 471");
    EXPECT_EQ(session.Patient().name, "Name: Muster Erika");
    EXPECT_EQ(session.GDTText(), kRequest);
    EXPECT_EQ(session.RequestPath(), (in() / "ANFRAGE.GDT").string());
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(OrderSessionTest, NoRequestSaysSoWithTheProgramsName) {
    settings();
    WriteBytes(in() / "notiz.txt", "x");
    session.Form_Load();
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].text, kNotFound);
    EXPECT_EQ(op.messages[0].title, "Morvik");
    EXPECT_TRUE(session.RequestPath().empty());
}

TEST_F(OrderSessionTest, FirstRequestInListingOrderIsTakenAndSuffixNeedsNoDot) {
    settings();
    WriteBytes(in() / "ANFRAGE1.GDT", "0133000111\r\n");
    WriteBytes(in() / "ANFRAGE2.GDT", "0133000222\r\n");
    WriteBytes(in() / "NOTEGDT", "0133000333\r\n");
    session.Form_Load();
    std::string first = ListFiles(in()).front();
    EXPECT_EQ(session.RequestPath(), (in() / first).string());
    EXPECT_EQ(FileNames(in()).size(), 3u);
}

TEST_F(OrderSessionTest, OneTrailingSeparatorIsDroppedFromEachFolder) {
    WriteBytes(program / "Settings.ini", "[GDTService]\r\nGDTQuell=" + in().string() +
                                             "/\r\nGDTZiel=" + out().string() + "//\r\n");
    session.Form_Load();
    EXPECT_EQ(session.Settings().GDTQuell, in().string());
    EXPECT_EQ(session.Settings().GDTZiel, out().string() + "/");
}

TEST_F(OrderSessionTest, DrivesAreConnectedWithTheirLettersAndReportedOnlyOnSuccess) {
    settings("QuellNetz=1\r\nQuellBuchstabe=Q\r\nZielNetz=1\r\nZielBuchstabe=Z\r\n");
    driveResult = true;
    session.Form_Load();
    ASSERT_EQ(driveCalls.size(), 2u);
    EXPECT_EQ(driveCalls[0], std::make_pair(std::string("Q:"), in().string()));
    EXPECT_EQ(driveCalls[1], std::make_pair(std::string("Z:"), out().string()));
    EXPECT_EQ(session.QuellNetzText(), "Quellnetzlaufwerk ist verbunden");
    EXPECT_EQ(session.ZielNetzText(), "Zielnetzlaufwerk ist verbunden");
}

TEST_F(OrderSessionTest, FailedDriveConnectionLeavesTheStatusEmpty) {
    settings("QuellNetz=1\r\nQuellBuchstabe=Q\r\n");
    driveResult = false;
    WriteBytes(in() / "a.gdt", kRequest);
    session.Form_Load();
    EXPECT_EQ(session.QuellNetzText(), "");
    EXPECT_EQ(session.Patient().id, "ID: 471");  // the search still uses the folder itself
}

// ---- Search ---------------------------------------------------------------------------------

TEST_F(OrderSessionTest, SearchSelectsTheFirstNameWithThatStart) {
    settings();
    load();
    struct Step {
        const char* text;
        std::size_t selected;
    };
    for (Step s : {Step{"k", 3}, Step{"kn", 3}, Step{"KNIE R", 4}, Step{"x", 4}, Step{"b", 2},
                   Step{"", 0}}) {
        session.txtSearch_Change(s.text);
        EXPECT_EQ(session.Catalogue().Selected(), s.selected) << s.text;
    }
}

TEST_F(OrderSessionTest, SearchFindsUmlautsWhateverTheirCase) {
    settings();
    load({"Abdomen", "Ellenbogen", "Ösophagus", "Überblick"});
    session.txtSearch_Change("ö");
    EXPECT_EQ(session.Catalogue().Selected(), 3u);
    session.txtSearch_Change("ÜB");
    EXPECT_EQ(session.Catalogue().Selected(), 4u);
}

TEST_F(OrderSessionTest, SearchCoversEveryRowAndAsksToShowSevenBelowTheMatch) {
    settings();
    session.Form_Load();
    std::vector<BodyPartEntry> rows;
    for (int i = 0; i < 2000; ++i) rows.push_back({"Teil " + std::to_string(100000 + i), "", ""});
    session.FillCatalogue(rows);
    EXPECT_EQ(session.txtSearch_Change("teil 100761"), 762u + 7u);
    EXPECT_EQ(session.Catalogue().Selected(), 762u);
    EXPECT_EQ(session.txtSearch_Change("Teil 101999"), 2000u);  // last row: nothing below it
    EXPECT_EQ(session.Catalogue().Selected(), 2000u);
    EXPECT_EQ(session.txtSearch_Change("Teil 9"), 0u);  // no match: nothing moves, nothing logged
    EXPECT_EQ(session.Catalogue().Selected(), 2000u);
    EXPECT_TRUE(logLines().empty());
}

// ---- Lists and the confirm button -------------------------------------------------------------

TEST_F(OrderSessionTest, AddingAndRemovingFollowTheConfirmButtonRules) {
    settings();
    load();
    EXPECT_FALSE(session.OkEnabled());
    add(2);
    add(2);
    EXPECT_EQ(session.AddedCount(), 2u);
    EXPECT_EQ(session.Added().Row(1), (BodyPartEntry{"Becken", "A2", "F2"}));
    EXPECT_EQ(session.Added().Row(2).name, "Becken");
    EXPECT_EQ(session.Catalogue().Count(), 4u);
    EXPECT_TRUE(session.OkEnabled());

    session.SelectAddedRow(1);
    session.lvAddBodyparts_DblClick();
    EXPECT_EQ(session.AddedCount(), 1u);
    EXPECT_TRUE(session.OkEnabled());
    session.SelectAddedRow(1);
    session.lvAddBodyparts_DblClick();
    EXPECT_EQ(session.AddedCount(), 0u);
    EXPECT_FALSE(session.OkEnabled());
}

TEST_F(OrderSessionTest, DoubleClickWithoutSelectionAddsNothing) {
    settings();
    load();
    session.SelectCatalogueRow(0);
    session.lvBodyparts_DblClick();
    EXPECT_EQ(session.Added().Count(), 0u);
    EXPECT_EQ(session.AddedCount(), 0u);
    EXPECT_FALSE(session.OkEnabled());
}

TEST_F(OrderSessionTest, RemovingWithoutSelectionIsLoggedAndChangesNothing) {
    settings();
    load();
    add(1);
    session.SelectAddedRow(0);
    session.lvAddBodyparts_DblClick();
    EXPECT_EQ(session.AddedCount(), 1u);
    EXPECT_TRUE(session.OkEnabled());
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" - lvAddBodyparts_DblClick"));
}

TEST_F(OrderSessionTest, ModalityFocusSwitchesTheListsAndTheButton) {
    settings();
    load();
    session.optMod_GotFocus(0);  // Scan: without body parts by default
    EXPECT_FALSE(session.Catalogue().Enabled());
    EXPECT_TRUE(session.OkEnabled());
    session.optMod_GotFocus(1);
    EXPECT_TRUE(session.Catalogue().Enabled());
    EXPECT_FALSE(session.OkEnabled());

    add(1);
    add(3);
    session.optMod_GotFocus(2);  // another modality with body parts keeps them
    EXPECT_EQ(session.AddedCount(), 2u);
    EXPECT_TRUE(session.OkEnabled());
    session.optMod_GotFocus(0);  // without body parts empties the list
    EXPECT_EQ(session.Added().Count(), 0u);
    EXPECT_EQ(session.AddedCount(), 0u);
    EXPECT_TRUE(session.OkEnabled());
    session.SelectCatalogueRow(2);
    session.lvBodyparts_DblClick();  // the disabled list takes no double-click
    EXPECT_EQ(session.AddedCount(), 0u);
}

TEST_F(OrderSessionTest, InitialsAreSavedAtUnloadAlsoWhenEmpty) {
    settings();
    session.Form_Load();
    session.txtKuerzel_Change("MK");
    session.Form_Unload();
    EXPECT_NE(ReadBytes(program / "Settings.ini").find("Kuerzel=MK\r\n"), std::string::npos);
    session.txtKuerzel_Change("");
    session.Form_Unload();
    EXPECT_NE(ReadBytes(program / "Settings.ini").find("Kuerzel=\r\n"), std::string::npos);
}

// ---- Confirmation ---------------------------------------------------------------------------

TEST_F(OrderSessionTest, ChecksComeInTheirOrder) {
    session.Form_Load();
    session.cmdOK_Click("");
    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Bitte geben Sie einen Quellpfad an."});
    session.Settings().GDTQuell = in().string();
    session.cmdOK_Click("");
    EXPECT_EQ(op.Texts().back(), "Bitte geben Sie einen Zielpfad an.");
    session.Settings().GDTZiel = out().string();
    session.cmdOK_Click("");
    EXPECT_EQ(op.Texts().back(), "Bitte geben Sie ein Kürzel an.");
    EXPECT_TRUE(orders().empty());
}

TEST_F(OrderSessionTest, ThreeBodyPartsGiveThreeFilesWithConsecutiveNumbersAndTheRequestGoes) {
    settings("Acc=1\r\nAccNum=RAD\r\nKonica=1\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    WriteBytes(program / "AccNum.dat", "0000041");
    load();
    add(1);
    add(2);
    add(3);
    EXPECT_EQ(session.cmdOK_Click("bitte liegend"), OrderSession::Confirmation::Done);
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].text, kSuccess);
    EXPECT_EQ(op.messages[0].icon, MessageIcon::Information);
    EXPECT_FALSE(std::filesystem::exists(in() / "a.gdt"));
    ASSERT_EQ(orders().size(), 3u);
    std::set<std::string> numbers, parts;
    for (const auto& name : orders()) {
        std::string text = ReadBytes(out() / name);
        EXPECT_TRUE(text.starts_with(kRequest));
        for (const auto& line : CrLfLines(out() / name)) {
            if (line.substr(3, 4) == "4100") numbers.insert(line.substr(7));
            if (line.substr(3, 4) == "5015") parts.insert(line.substr(7));
        }
        EXPECT_NE(text.find("0168402R\xF6ntgen\r\n"), std::string::npos);
        EXPECT_NE(text.find("0226227bitte liegend\r\n"), std::string::npos);
    }
    EXPECT_EQ(numbers, (std::set<std::string>{"RAD0000042", "RAD0000043", "RAD0000044"}));
    EXPECT_EQ(parts, (std::set<std::string>{"Abdomen", "Becken", "Knie links"}));
    EXPECT_EQ(ReadBytes(program / "AccNum.dat"), "0000044");
}

struct JoinCase {
    const char* what;
    std::vector<BodyPartEntry> parts;
    std::string abbreviations;
    std::string codes;
};

void PrintTo(const JoinCase& c, std::ostream* os) {
    *os << c.what;
}

class OneGdtJoin : public OrderSessionTest, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(OneGdtJoin, JoinsWithSeparatorsOnlyAfterSomething) {
    settings("OneGDT=1\r\nKonica=1\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    session.Form_Load();
    session.FillCatalogue(GetParam().parts);
    for (std::size_t r = 1; r <= GetParam().parts.size(); ++r) add(r);
    ASSERT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Done);
    ASSERT_EQ(orders().size(), 1u);
    auto lines = CrLfLines(out() / orders()[0]);
    std::string abbreviations;
    for (const auto& l : lines) {
        if (l.substr(3, 4) == "8751") abbreviations = l.substr(7);
    }
    EXPECT_EQ(abbreviations, GetParam().abbreviations);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OneGdtJoin,
    ::testing::Values(
        JoinCase{"empty first", {{"Hand", "", "H1"}, {"Fuß", "X", "F1"}}, "X", ""},
        JoinCase{"empty last", {{"Fuß", "X", "F1"}, {"Hand", "", "H1"}}, "X, ", ""},
        JoinCase{"three", {{"A", "a", ""}, {"B", "b", ""}, {"C", "c", ""}}, "a, b, c", ""}));

TEST_F(OrderSessionTest, OneGdtWithFactoryJoinsCodesWithBars) {
    settings("OneGDT=1\r\nFactory=1\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    session.Form_Load();
    session.FillCatalogue({{"Thorax", "THX", "T01"}, {"Knie", "KN", "K02"}});
    add(1);
    add(2);
    ASSERT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Done);
    ASSERT_EQ(orders().size(), 1u);
    std::string text = ReadBytes(out() / orders()[0]);
    EXPECT_NE(text.find("0168750T01|K02\r\n0216227Thorax, Knie\r\n0215015Thorax, Knie\r\n"),
              std::string::npos);
}

TEST_F(OrderSessionTest, OneGdtWithoutAddedRowsWritesOneFileWithoutBodyPartLines) {
    settings("OneGDT=1\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    ASSERT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Done);
    ASSERT_EQ(orders().size(), 1u);
    EXPECT_EQ(ReadBytes(out() / orders()[0]), kRequest + "0168402R\xF6ntgen\r\n0118315AB\r\n");
}

TEST_F(OrderSessionTest, ModalityWithoutBodyPartsWritesExactlyOneScanFile) {
    settings("Bodypart2=1\r\nModalitaet2=CT\r\nAcc=1\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    add(1);
    add(2);
    session.optMod_GotFocus(2);
    ASSERT_EQ(session.cmdOK_Click("nativ"), OrderSession::Confirmation::Done);
    ASSERT_EQ(orders().size(), 1u);
    EXPECT_EQ(ReadBytes(out() / orders()[0]),
              kRequest + "0118402CT\r\n0146227nativ\r\n0118315AB\r\n");
    EXPECT_FALSE(std::filesystem::exists(program / "AccNum.dat"));
}

TEST_F(OrderSessionTest, NoBodyPartAddedIsRefusedAndTheRequestKept) {
    settings();
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(),
              std::vector<std::string>{"Bitte wählen Sie mindestens ein Körperteil aus."});
    EXPECT_TRUE(orders().empty());
    EXPECT_TRUE(std::filesystem::exists(in() / "a.gdt"));
}

// ---- Confirmation keeps to the patient on screen -------------------------------------------

TEST_F(OrderSessionTest, VanishedRequestWritesNothing) {
    settings();
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    add(1);
    std::filesystem::remove(in() / "a.gdt");
    WriteBytes(in() / "b.gdt", "0133000999\r\n");  // another patient must not take its place
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(), std::vector<std::string>{kNotFound});
    EXPECT_TRUE(orders().empty());
    EXPECT_TRUE(std::filesystem::exists(in() / "b.gdt"));
}

TEST_F(OrderSessionTest, RequestArrivingAfterStartIsShownBeforeAnythingIsOrdered) {
    settings();
    load();
    op.messages.clear();
    add(1);
    WriteBytes(in() / "a.gdt", kRequest);
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(), std::vector<std::string>{kNewRequest});
    EXPECT_EQ(session.Patient().name, "Name: Muster Erika");
    EXPECT_TRUE(orders().empty());
    EXPECT_TRUE(std::filesystem::exists(in() / "a.gdt"));
    // Confirming again orders for the request now on screen.
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Done);
    EXPECT_EQ(orders().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(in() / "a.gdt"));
}

TEST_F(OrderSessionTest, RequestRewrittenSinceItWasShownIsShownAgainFirst) {
    settings();
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    add(1);
    WriteBytes(in() / "a.gdt", "0133000999\r\n0153101Andere\r\n");
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(), std::vector<std::string>{kNewRequest});
    EXPECT_EQ(session.Patient().id, "ID: 999");
    EXPECT_EQ(session.Patient().name, "Name: Andere");
    EXPECT_TRUE(orders().empty());
}

// ---- All or nothing ------------------------------------------------------------------------

TEST_F(OrderSessionTest, MissingTargetFolderLeavesEverythingAsItWas) {
    settings();
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    add(1);
    add(2);
    std::filesystem::remove(out());
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Stay);
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].text, kFailed);
    EXPECT_EQ(op.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(std::filesystem::exists(in() / "a.gdt"));
    EXPECT_EQ(session.AddedCount(), 2u);
    EXPECT_TRUE(session.OkEnabled());
    auto lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().ends_with(" - cmdOK_Click"));
}

TEST_F(OrderSessionTest, FailureHalfWayLeavesNoOrderFileAndKeepsTheRequest) {
    settings("Acc=1\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    add(1);
    add(2);
    add(3);
    // The target folder goes away while the second file is being made.
    const auto moved = program / "out.alt";
    const int base = op.yields;
    op.onYield = [&](int n) {
        if (n == base + 2) {
            std::filesystem::rename(out(), moved);
            WriteBytes(out(), "kein Ordner");
        }
    };
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Stay);
    for (const auto& name : FileNames(moved)) EXPECT_FALSE(name.ends_with(".gdt")) << name;
    EXPECT_TRUE(std::filesystem::exists(in() / "a.gdt"));
    EXPECT_EQ(op.Texts(), std::vector<std::string>{kFailed});
    // The numbers taken by the failed attempt are not handed out again.
    EXPECT_EQ(ReadBytes(program / "AccNum.dat"), "0000003");
}

TEST_F(OrderSessionTest, RequestThatCannotBeDeletedTakesThePlacedFilesBack) {
    settings();
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    add(1);
    add(2);
    // Once the files are being made, the request turns into something unlink cannot remove.
    const int base = op.yields;
    op.onYield = [&](int n) {
        if (n == base + 1) {
            std::filesystem::remove(in() / "a.gdt");
            std::filesystem::create_directory(in() / "a.gdt");
            WriteBytes(in() / "a.gdt" / "x", "");
        }
    };
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Stay);
    EXPECT_TRUE(FileNames(out()).empty());
    EXPECT_EQ(op.Texts(), std::vector<std::string>{kFailed});
}

TEST_F(OrderSessionTest, SecondClickWhileConfirmingWritesNothingMore) {
    settings();
    WriteBytes(in() / "a.gdt", kRequest);
    load();
    add(1);
    OrderSession::Confirmation inner = OrderSession::Confirmation::Done;
    const int base = op.yields;
    op.onYield = [&](int n) {
        if (n == base + 1) {
            EXPECT_TRUE(session.Busy());
            inner = session.cmdOK_Click("");
        }
    };
    EXPECT_EQ(session.cmdOK_Click(""), OrderSession::Confirmation::Done);
    EXPECT_EQ(inner, OrderSession::Confirmation::Stay);
    EXPECT_EQ(orders().size(), 1u);
    EXPECT_FALSE(session.Busy());
}

}  // namespace
}  // namespace morvik
