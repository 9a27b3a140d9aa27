#include <gtest/gtest.h>

#include <functional>

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include "app/Confirmation.h"
#include "app/OrderSession.h"
#include "platform/CodePage.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/SettingsFile.h"
#include "worklist/WorklistItem.h"
#ifdef _WIN32
#include "support/OtherProgram.h"
#endif

namespace morvik {
namespace {

using test::CrLfLines;
using test::FileNames;
using test::ReadBytes;
using test::WriteBytes;

const std::string kRequest =
    "01380006301\r\n0133000471\r\n0153101Muster\r\n0143102Erika\r\n017310330061922\r\n";
const char* const kNotFound = "GDT-File wurde nicht gefunden.";
const char* const kFailed =
    "Der Auftrag konnte nicht angelegt werden. Details stehen im Fehlerprotokoll.";
const char* const kSuccess = "Der Auftrag wurde erfolgreich angelegt.";

class OrderSessionTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    OrderSessionTest() {
        std::filesystem::create_directory(in());
        std::filesystem::create_directory(out());
    }

    std::filesystem::path in() const { return program / "in"; }
    std::filesystem::path out() const { return program / "out"; }

    // Settings.ini with the folders, initials and the extra lines given.
    void settings(const std::string& extra = "") {
        test::WriteSettings(program.path(), in(), out(), extra);
    }

    void load() {
        session.Load();
        session.FillCatalogue({{"Abdomen", "A1", "F1"},
                               {"Becken", "A2", "F2"},
                               {"Knie links", "A3", "F3"},
                               {"Knie rechts", "A4", "F4"}});
    }

    // Settings, a request in the source folder and the window loaded with the catalogue.
    void ready(const std::string& extra = "") {
        settings(extra);
        WriteBytes(in() / "a.gdt", kRequest);
        load();
    }

    void add(std::initializer_list<std::size_t> catalogueRows) {
        for (std::size_t row : catalogueRows) {
            session.SelectCatalogueRow(row);
            session.AddSelectedBodyPart();
        }
    }

    std::vector<std::string> orders() const { return FileNames(out()); }

    // Confirms with the first modality, stopped when the confirmation reaches `step` as a killed
    // program would be; `meanwhile` runs before the next start. What that start told first.
    std::string noticeAfterStopAt(ConfirmStep step, const std::function<void()>& meanwhile = {}) {
        static ConfirmStep stopAt;
        stopAt = step;
        SetStepHook([](ConfirmStep reached) {
            if (reached == stopAt) throw std::runtime_error("killed");
        });
        session.ChooseModality(0);
        session.Confirm("");
        SetStepHook(nullptr);
        if (meanwhile) meanwhile();
        test::RecordingOperator next;
        OrderSession restarted{program.path(), log, next, nullptr};
        restarted.Load();
        return next.messages.empty() ? std::string() : next.Texts()[0];
    }

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

// The empty source folder of a first start cannot be listed: logged, and no not-found message.
TEST_F(OrderSessionTest, FirstStartWithoutSettingsFileLogsTheListing) {
    session.Load();
    EXPECT_TRUE(op.messages.empty());
    EXPECT_TRUE(test::Logged(log, {"Form_Load"}));
}

TEST_F(OrderSessionTest, ModalityOneWithoutBodyPartsAtLoad) {
    settings("Bodypart1=1\r\n");
    session.Load();
    EXPECT_FALSE(session.Catalogue().Enabled());
    EXPECT_TRUE(session.OkEnabled());
    EXPECT_EQ(session.AddedCount(), 0u);
}

TEST_F(OrderSessionTest, NoRequestSaysSoWithTheProgramsName) {
    settings();
    WriteBytes(in() / "notiz.txt", "x");
    session.Load();
    EXPECT_EQ(op.Lines(), std::vector<std::string>{"Morvik | no icon | " + std::string(kNotFound)});
    EXPECT_TRUE(session.RequestPath().empty());
}

// Windows lists a folder in name order; the file system's own order here must not matter.
TEST_F(OrderSessionTest, FirstRequestByNameIsShownLetterCaseAsideAndSuffixNeedsNoDot) {
    settings();
    for (const char* name : {"c.gdt", "b3.gdt", "notegdt", "B2.GDT", "D.gdt", "a.txt", "e.gdt"}) {
        WriteBytes(in() / name, kRequest);
    }
    session.Load();
    EXPECT_EQ(session.RequestPath(), (in() / "B2.GDT").string());
    EXPECT_EQ(session.Patient().id, "ID: 471");
    EXPECT_EQ(session.Patient().name, "Name: Muster Erika");
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(OrderSessionTest, DrivesAreConnectedWithTheirLettersAndReportedOnlyOnSuccess) {
    settings("QuellNetz=1\r\nQuellBuchstabe=Q\r\nZielNetz=1\r\nZielBuchstabe=Z\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    for (bool connects : {false, true}) {
        driveResult = connects;
        session.Load();
        EXPECT_EQ(session.SourceDriveText(), connects ? "Quellnetzlaufwerk ist verbunden" : "");
        EXPECT_EQ(session.TargetDriveText(), connects ? "Zielnetzlaufwerk ist verbunden" : "");
        EXPECT_EQ(session.Patient().id, "ID: 471");  // the search still uses the folder itself
    }
    EXPECT_EQ(driveCalls[0], std::make_pair(std::string("Q:"), in().string()));
    EXPECT_EQ(driveCalls[1], std::make_pair(std::string("Z:"), out().string()));
}

#ifdef __linux__
// Settings.ini often lies on the server: a start opens it once for all its keys, not once a key.
// The system counts the opens of the real file.
TEST_F(OrderSessionTest, StartOpensTheSettingsFileOnce) {
    settings("Modalitaet3=CT\r\nKonica=1\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    // With the closes watched too no two events in a row are alike, which the system would merge.
    ASSERT_GE(inotify_add_watch(watch, (program / "Settings.ini").c_str(),
                                IN_OPEN | IN_CLOSE_NOWRITE | IN_CLOSE_WRITE),
              0);
    session.Load();
    int opens = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            opens += (event->mask & IN_OPEN) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watch);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(session.Settings().modalityNames[3], "CT");
    EXPECT_TRUE(session.Settings().konica);
    EXPECT_EQ(session.Patient().id, "ID: 471");
}
#endif

// ---- Search ---------------------------------------------------------------------------------

TEST_F(OrderSessionTest, SearchCoversEveryRowAndAsksToShowSevenBelowTheMatch) {
    settings();
    session.Load();
    std::vector<BodyPartEntry> rows;
    for (int i = 0; i < 2000; ++i) rows.push_back({"Teil " + std::to_string(100000 + i), "", ""});
    session.FillCatalogue(rows);
    EXPECT_EQ(session.Search("teil 100761"), 762u + 7u);
    EXPECT_EQ(session.Catalogue().Selected(), 762u);
    EXPECT_EQ(session.Search("Teil 101999"), 2000u);  // last row: nothing below it
}

// ---- Lists and the confirm button -------------------------------------------------------------

TEST_F(OrderSessionTest, DoubleClickWithoutSelectionChangesNothing) {
    settings();
    load();
    add({0});
    EXPECT_EQ(session.Added().Count(), 0u);
    EXPECT_FALSE(session.OkEnabled());
    add({1});
    session.SelectAddedRow(0);
    session.RemoveSelectedBodyPart();
    EXPECT_EQ(session.AddedCount(), 1u);
    EXPECT_TRUE(session.OkEnabled());
    EXPECT_TRUE(test::Logged(log, {"lvAddBodyparts_DblClick"}));
}

TEST_F(OrderSessionTest, ModalityWithoutBodyPartsEmptiesAndLocksTheList) {
    settings();
    load();
    add({1, 3});
    session.ChooseModality(2);  // another modality with body parts keeps them
    EXPECT_EQ(session.AddedCount(), 2u);
    session.ChooseModality(0);  // Scan: without body parts by default
    EXPECT_EQ(session.Added().Count(), 0u);
    EXPECT_TRUE(session.OkEnabled());
    add({2});  // the disabled list takes no double-click
    EXPECT_EQ(session.AddedCount(), 0u);
}

// ---- Confirmation ---------------------------------------------------------------------------

TEST_F(OrderSessionTest, ChecksComeInTheirOrder) {
    session.Load();
    session.Confirm("");
    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Bitte geben Sie einen Quellpfad an."});
    session.Settings().sourceFolder = in().string();
    session.Confirm("");
    EXPECT_EQ(op.Texts().back(), "Bitte geben Sie einen Zielpfad an.");
    session.Settings().targetFolder = out().string();
    session.Confirm("");
    EXPECT_EQ(op.Texts().back(), "Bitte geben Sie ein Kürzel an.");
    EXPECT_TRUE(orders().empty());
}

// With the worklist on, an order needs its items: without a folder, or in a build that cannot
// write them, nothing is ordered and the operator learns why; the request stays.
TEST_F(OrderSessionTest, AWorklistThatCannotBeWrittenStopsTheOrder) {
    ready("[Worklist]\r\nAktiv=1\r\n");
    add({1});
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Stay);
    ASSERT_EQ(op.Texts().size(), 1u);
    EXPECT_NE(op.Texts()[0].find("kein Worklist-Ordner"), std::string::npos) << op.Texts()[0];
    std::filesystem::create_directory(program / "worklist");
    session.Settings().worklistFolder = (program / "worklist").string();
    const OrderSession::Confirmation result = session.Confirm("");
    if (WorklistAvailable()) {
        EXPECT_EQ(result, OrderSession::Confirmation::Done);
        EXPECT_EQ(FileNames(program / "worklist").size(), orders().size());
        return;
    }
    EXPECT_EQ(result, OrderSession::Confirmation::Stay);
    EXPECT_NE(op.Texts().back().find("keine Worklist-Einträge schreiben"), std::string::npos);
    EXPECT_TRUE(orders().empty());
    EXPECT_TRUE(std::filesystem::exists(in() / "a.gdt"));
}

TEST_F(OrderSessionTest, NoBodyPartAddedIsRefusedAndTheRequestKept) {
    ready();
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(),
              std::vector<std::string>{"Bitte wählen Sie mindestens ein Körperteil aus."});
    EXPECT_TRUE(orders().empty());
    EXPECT_TRUE(std::filesystem::exists(in() / "a.gdt"));
}

TEST_F(OrderSessionTest, ThreeBodyPartsGiveThreeFilesWithConsecutiveNumbersAndTheRequestGoes) {
    settings("Acc=1\r\nAccNum=RAD\r\nKonica=1\r\nCommentField=6220\r\n");
    WriteBytes(in() / "a.gdt", kRequest);
    WriteBytes(program / "AccNum.dat", "0000041");
    load();
    add({1, 2, 3});
    EXPECT_EQ(session.Confirm("bitte liegend"), OrderSession::Confirmation::Done);
    EXPECT_EQ(op.Lines(),
              std::vector<std::string>{"Morvik | information | " + std::string(kSuccess)});
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
        // The comment goes under the configured field; the body part's name stays under 6227.
        EXPECT_NE(text.find("0226220bitte liegend\r\n"), std::string::npos);
        EXPECT_EQ(text.find("6227bitte"), std::string::npos);
    }
    EXPECT_EQ(numbers, (std::set<std::string>{"RAD0000042", "RAD0000043", "RAD0000044"}));
    EXPECT_EQ(parts, (std::set<std::string>{"Abdomen", "Becken", "Knie links"}));
    EXPECT_EQ(ReadBytes(program / "AccNum.dat"), "0000044");
}

// One file for all added body parts joins their texts: names and abbreviations with ", ",
// factory codes with "|", a separator only after something.
TEST_F(OrderSessionTest, OneGdtJoinsTheAddedBodyParts) {
    struct Case {
        const char* variant;
        std::vector<BodyPartEntry> parts;
        std::vector<std::string> lines;  // the lines that must be in the file
    };
    const std::vector<Case> cases = {
        {"Konica", {{"Hand", "", "H1"}, {"Fuß", "X", "F1"}}, {"0108751X", "0186227Hand, Fuß"}},
        {"Factory",
         {{"Thorax", "THX", "T01"}, {"Knie", "KN", "K02"}},
         {"0168750T01|K02", "0216227Thorax, Knie", "0215015Thorax, Knie"}},
    };
    for (const Case& c : cases) {
        for (const auto& name : orders()) std::filesystem::remove(out() / name);
        settings("OneGDT=1\r\n" + std::string(c.variant) + "=1\r\n");
        WriteBytes(in() / "a.gdt", kRequest);
        OrderSession one{program.path(), log, op, nullptr};
        one.Load();
        one.FillCatalogue(c.parts);
        for (std::size_t r = 1; r <= c.parts.size(); ++r) {
            one.SelectCatalogueRow(r);
            one.AddSelectedBodyPart();
        }
        ASSERT_EQ(one.Confirm(""), OrderSession::Confirmation::Done) << c.lines[0];
        ASSERT_EQ(orders().size(), 1u);
        const auto written = CrLfLines(out() / orders()[0]);
        for (const auto& line : c.lines) {
            EXPECT_NE(std::find(written.begin(), written.end(), ToAnsi(line)), written.end())
                << line;
        }
    }
}

TEST_F(OrderSessionTest, OneGdtWithoutAddedRowsWritesOneFileWithoutBodyPartLines) {
    ready("OneGDT=1\r\n");
    ASSERT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    ASSERT_EQ(orders().size(), 1u);
    EXPECT_EQ(ReadBytes(out() / orders()[0]), kRequest + "0168402R\xF6ntgen\r\n0118315AB\r\n");
}

TEST_F(OrderSessionTest, ModalityWithoutBodyPartsWritesExactlyOneScanFile) {
    ready("Bodypart2=1\r\nModalitaet2=CT\r\nAcc=1\r\n");
    add({1, 2});
    session.ChooseModality(2);
    ASSERT_EQ(session.Confirm("nativ"), OrderSession::Confirmation::Done);
    ASSERT_EQ(orders().size(), 1u);
    EXPECT_EQ(ReadBytes(out() / orders()[0]),
              kRequest + "0118402CT\r\n0146227nativ\r\n0118315AB\r\n");
    EXPECT_FALSE(std::filesystem::exists(program / "AccNum.dat"));
}

// ---- Confirmation keeps to the patient on screen -------------------------------------------

// Another patient must not take the vanished one's place unseen: shown first, ordered only when
// confirmed again.
TEST_F(OrderSessionTest, VanishedRequestWritesNothingAndTheOneWaitingIsShownFirst) {
    ready();
    add({1});
    std::filesystem::remove(in() / "a.gdt");
    WriteBytes(in() / "b.gdt", "0133000999\r\n0153101Andere\r\n01331031970\r\n");
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Neue Anforderung geladen: Patient 999 (Andere, "
                                                   "geb. 1970). Bitte prüfen Sie den Patienten "
                                                   "und bestätigen Sie erneut."});
    EXPECT_EQ(session.Patient().born, "geb. 1970");
    EXPECT_TRUE(orders().empty());
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    EXPECT_FALSE(std::filesystem::exists(in() / "b.gdt"));
    ASSERT_EQ(orders().size(), 1u);
    EXPECT_TRUE(ReadBytes(out() / orders()[0]).starts_with("0133000999\r\n"));
}

#ifdef _WIN32
// A scanner or the search indexer holding the request for a second: the confirmation waits it
// out and orders. Held for longer, nothing is ordered and the request stays for the next try.
TEST_F(OrderSessionTest, ARequestHeldByAnotherProgramIsWaitedForOrLeftAsItIs) {
    ready();
    add({1});
    {
        auto scanner = test::HoldElsewhere(in() / "a.gdt", 60000);
        EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Stay);
        EXPECT_TRUE(orders().empty());
        EXPECT_EQ(ReadBytes(in() / "a.gdt"), kRequest);
    }
    load();
    add({1});
    auto scanner = test::HoldElsewhere(in() / "a.gdt", 1000);
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    EXPECT_FALSE(std::filesystem::exists(in() / "a.gdt"));
    EXPECT_EQ(orders().size(), 1u);
}
#endif

TEST_F(OrderSessionTest, RequestRewrittenSinceItWasShownIsShownAgainFirst) {
    ready();
    add({1});
    WriteBytes(in() / "a.gdt", "0133000999\r\n0153101Andere\r\n");
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(),
              std::vector<std::string>{"Neue Anforderung geladen: Patient 999 (Andere). "
                                       "Bitte prüfen Sie den Patienten und bestätigen "
                                       "Sie erneut."});
    EXPECT_EQ(session.Patient().id, "ID: 999");
    EXPECT_EQ(session.Patient().name, "Name: Andere");
    EXPECT_TRUE(orders().empty());
    // Confirming again orders for the request now on screen.
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    EXPECT_EQ(orders().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(in() / "a.gdt"));
}

// A file too large to be a request is passed over, told once per start, and the next request is
// taken; one ending its lines in LF alone is shown in full and ordered byte for byte.
TEST_F(OrderSessionTest, AnOversizedRequestIsPassedOverOncePerStart) {
    settings();
    WriteBytes(in() / "a.gdt", kRequest + std::string(10u << 20, 'x'));
    WriteBytes(in() / "b.gdt", kRequest);
    const std::string tooLarge =
        "Die Datei \"a.gdt\" ist zu groß, um eine Anforderung zu sein (mehr "
        "als 10 MB), und bleibt unverändert liegen; es wird nichts angelegt.";
    load();
    EXPECT_EQ(op.Texts(), std::vector<std::string>{tooLarge});
    EXPECT_EQ(session.RequestPath(), (in() / "b.gdt").string());
    std::filesystem::remove(in() / "b.gdt");
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(op.Texts(), (std::vector<std::string>{tooLarge, kNotFound}));

    const std::string lf = "0133000472\n0153101Muster\n0123102Max\n017310301021990\n";
    WriteBytes(in() / "c.gdt", lf);
    session.LookForRequest();
    EXPECT_EQ(session.Patient().name, "Name: Muster Max");
    EXPECT_EQ(session.Patient().born, "geb. 01.02.1990");
    session.ChooseModality(0);
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    ASSERT_EQ(orders().size(), 1u);
    EXPECT_TRUE(ReadBytes(out() / orders()[0]).starts_with(lf + "0138402Scan\r\n"));
    EXPECT_EQ(std::filesystem::file_size(in() / "a.gdt"), kRequest.size() + (10u << 20));
    EXPECT_TRUE(test::Logged(log, {"ReadGDT"}));
}

// Without a request the patient area says why, at start and at every tick of the folder watch,
// with no message but the not-found one of old and no log line twice; a request that arrives is
// shown as if it had been there at start.
TEST(SourceFolderWatch, SaysWhyNoRequestIsShownAndShowsTheOneThatArrives) {
    struct Case {
        const char* source;  // below the program folder; "" for none set
        std::string notice;  // ending in ": ": the source folder follows
        std::vector<std::string> messages, logged;
    };
    const Case cases[] = {
        {"", "Kein Quellordner eingestellt – Datei → Einstellungen", {}, {"Form_Load"}},
        {"fehlt", "Quellordner nicht erreichbar: ", {}, {"Form_Load"}},
        {"in", "Keine Anforderung im Quellordner", {kNotFound}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        test::ProgramFolder folder;
        const std::filesystem::path source = folder.program / (*c.source ? c.source : "in");
        const std::string setting = *c.source ? source.string() : "";
        std::filesystem::create_directory(folder.program / "in");
        test::WriteSettings(folder.program.path(), "GDTQuell=" + setting + "\r\n");
        test::RecordingOperator op;
        OrderSession session(folder.program.path(), folder.log, op, nullptr);
        session.Load();
        session.LookForRequest();
        session.LookForRequest();
        EXPECT_EQ(session.RequestNotice(), c.notice + (c.notice.ends_with(": ") ? setting : ""));
        EXPECT_EQ(op.Texts(), c.messages);
        EXPECT_TRUE(test::Logged(folder.log, c.logged));
        EXPECT_TRUE(session.WatchesSourceFolder());

        // The folder is set in the options dialog, or comes within reach, and a request arrives.
        session.Settings().sourceFolder = source.string();
        std::filesystem::create_directory(source);
        WriteBytes(source / "a.gdt", kRequest);
        session.LookForRequest();
        EXPECT_EQ(session.Patient().id, "ID: 471");
        EXPECT_EQ(session.Patient().name, "Name: Muster Erika");
        EXPECT_EQ(session.GDTText(), kRequest);
        EXPECT_EQ(session.RequestNotice(), "");
        EXPECT_FALSE(session.WatchesSourceFolder());
        EXPECT_EQ(op.Texts(), c.messages);
        EXPECT_TRUE(test::Logged(folder.log, c.logged));
    }
}

// A killed confirmation is settled at the next start; the notice names the patient with both
// identifiers, from the journal as from a claim given back.
TEST_F(OrderSessionTest, RecoveryNamesThePatientByNameAndDateOfBirth) {
    ready();
    // Stopped once the order file has its name: from there the journal completes the order.
    const std::string notice = noticeAfterStopAt(ConfirmStep::Renamed, [&] {
        WriteBytes(in() / "~0123456789abcdef0123456789abcdef~b.gdt.claim", kRequest);
    });
    ASSERT_FALSE(notice.empty());
    for (const char* settled : {"wurde jetzt vollständig angelegt", "wurde zurückgenommen"}) {
        EXPECT_NE(
            notice.find(std::string("für Patient 471 (Muster Erika, geb. 30.06.1922) ") + settled),
            std::string::npos)
            << notice;
    }
}

// Cut off after the request's deletion, only the journal is left: the operator may have been
// told the order is complete, so the next start says it was complete, not that it made it so.
TEST_F(OrderSessionTest, RecoveryOfAnOrderCompleteAlreadySaysSo) {
    ready();
    const std::string notice = noticeAfterStopAt(ConfirmStep::RequestDeleted);
    ASSERT_FALSE(notice.empty());
    EXPECT_NE(notice.find("(Muster Erika, geb. 30.06.1922) war schon vollständig angelegt"),
              std::string::npos)
        << notice;
    EXPECT_EQ(orders().size(), 1u);
}

// Another copy that starts while a confirmation is at any of its steps leaves it alone: the
// confirmation ends complete, the order is there once, and the other copy says nothing. (On
// Windows and SMB a file deleted while a handle is open keeps its name until that handle closes;
// the other copy must not take it for a claim cut short.)
std::function<void()> startAnotherCopy;
ConfirmStep anotherCopyAt;

class AnotherCopyMeanwhile : public OrderSessionTest,
                             public ::testing::WithParamInterface<ConfirmStep> {
  protected:
    void TearDown() override { SetStepHook(nullptr); }
};

TEST_P(AnotherCopyMeanwhile, LeavesTheConfirmationAlone) {
    ready("Konica=1\r\n");
    add({1, 2});
    test::RecordingOperator other;
    int started = 0;
    startAnotherCopy = [&] {
        if (started++ > 0) return;
        OrderSession second{program.path(), log, other, nullptr};
        second.Load();
    };
    anotherCopyAt = GetParam();
    SetStepHook([](ConfirmStep step) {
        if (step == anotherCopyAt) startAnotherCopy();
    });
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    EXPECT_GT(started, 0);
    EXPECT_EQ(other.Texts(), std::vector<std::string>{kNotFound});
    EXPECT_EQ(orders().size(), 2u);
    EXPECT_EQ(FileNames(in()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Steps, AnotherCopyMeanwhile,
                         ::testing::Values(ConfirmStep::Claimed, ConfirmStep::PublishRecorded,
                                           ConfirmStep::Renamed, ConfirmStep::RequestDeleted,
                                           ConfirmStep::JournalRemoved));

// ---- All or nothing ------------------------------------------------------------------------

// A fault at any step of the confirmation leaves no order file and keeps the request, and the
// operator can confirm again. Three body parts are staged one per yield, then renamed into
// place, then the request is deleted.
struct Fault {
    const char* what;
    ConfirmStep step;  // the fault strikes when the confirmation reaches this step
    int time;          // for the time
    std::function<void(const std::filesystem::path& in, const std::filesystem::path& out)> strike;
};

void PrintTo(const Fault& f, std::ostream* os) {
    *os << f.what;
}

class AllOrNothing : public OrderSessionTest, public ::testing::WithParamInterface<Fault> {
  protected:
    // The confirmation's step hook is a plain function: it reaches the fault through these.
    static inline const Fault* fault = nullptr;
    static inline int reached = 0;
    static inline std::filesystem::path inFolder, outFolder;
    static void strikeAtStep(ConfirmStep step) {
        if (step == fault->step && ++reached == fault->time) fault->strike(inFolder, outFolder);
    }
    void TearDown() override { SetStepHook(nullptr); }
};

TEST_P(AllOrNothing, LeavesNoOrderFileAndKeepsTheRequest) {
    ready("Acc=1\r\n");
    add({1, 2, 3});
    fault = &GetParam();
    reached = 0;
    inFolder = in();
    outFolder = out();
    SetStepHook(strikeAtStep);
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Stay);
    SetStepHook(nullptr);
    EXPECT_EQ(reached, fault->time);
    EXPECT_EQ(op.Lines(), std::vector<std::string>{"Morvik | warning | " + std::string(kFailed)});
    EXPECT_TRUE(std::filesystem::exists(in() / "a.gdt"));
    for (const auto& e : std::filesystem::recursive_directory_iterator(program.path())) {
        const bool order = e.path().extension() == ".gdt" && e.path().parent_path() != in();
        EXPECT_FALSE(order) << e.path();
    }
    EXPECT_TRUE(test::LoggedErrors(log).back().loggedUnder("cmdOK_Click"));
    // The numbers taken by the failed attempt are not handed out again.
    EXPECT_EQ(ReadBytes(program / "AccNum.dat"), "0000003");
    EXPECT_EQ(session.AddedCount(), 3u);
    EXPECT_TRUE(session.OkEnabled());
}

std::vector<Fault> faults() {
    std::vector<Fault> all{
        Fault{"target folder gone once the request is claimed", ConfirmStep::Claimed, 1,
              [](const auto&, const auto& out) { std::filesystem::remove_all(out); }},
        Fault{"target folder replaced after the first file is staged", ConfirmStep::Staged, 1,
              [](const auto&, const auto& out) {
                  std::filesystem::rename(out, out.string() + ".alt");
                  WriteBytes(out, "kein Ordner");
              }}};
#ifndef _WIN32
    // A staged file vanishes before publishing: nothing gets its name. (Windows keeps a file
    // that is still open under its name until it is closed, so it cannot vanish there.)
    all.push_back(
        Fault{"a staged file vanishes", ConfirmStep::Staged, 3, [](const auto&, const auto& out) {
                  const auto staged = FileNames(out);
                  ASSERT_EQ(staged.size(), 3u);
                  std::filesystem::remove(out / staged[1]);
              }});
#endif
    return all;
}

INSTANTIATE_TEST_SUITE_P(Faults, AllOrNothing, ::testing::ValuesIn(faults()));

TEST_F(OrderSessionTest, SecondClickWhileConfirmingWritesNothingMore) {
    ready();
    add({1});
    OrderSession::Confirmation inner = OrderSession::Confirmation::Done;
    const int base = op.yields;
    op.onYield = [&](int n) {
        if (n == base + 1) {
            EXPECT_TRUE(session.Busy());
            inner = session.Confirm("");
        }
    };
    EXPECT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    EXPECT_EQ(inner, OrderSession::Confirmation::Stay);
    EXPECT_EQ(orders().size(), 1u);
    EXPECT_FALSE(session.Busy());
}

}  // namespace
}  // namespace morvik
