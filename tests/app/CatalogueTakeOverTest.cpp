// A program folder whose Bodypart.mdb is a Jet file (written by the tests' Jet writer, which
// Debian's mdb-export confirms): taken over once, in German order, codes intact, and at every
// instant either the old file or the whole new catalogue.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "JetWriter.h"
#include "app/CatalogueTakeOver.h"
#include "app/OrderSession.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "catalogue/CatalogueDatabase.h"
#include "catalogue/JetTable.h"
#include "diag/ErrorLog.h"
#include "platform/CodePage.h"
#include "platform/FileCalls.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/SettingsFile.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

namespace fs = std::filesystem;
using test::FileNames;
using test::JetBodyPartRow;
using test::JetVersion;
using test::ReadBytes;

constexpr std::size_t kRows = 300;

// What the start-up list must show: the visible rows in German name order, Null codes empty.
std::vector<BodyPartEntry> visibleInGermanOrder(const std::vector<JetBodyPartRow>& rows) {
    std::vector<BodyPartEntry> shown;
    for (const auto& row : rows) {
        if (row.show)
            shown.push_back({row.name, row.konica.value_or(""), row.factory.value_or("")});
    }
    std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
        return CompareGerman(a.name, b.name) < 0;
    });
    return shown;
}

class CatalogueTakeOverTest : public ::testing::TestWithParam<JetVersion> {
  protected:
    CatalogueTakeOverTest() {
        test::WriteJetCatalogue(file(), GetParam(), rows);
        jet = ReadBytes(file());
    }
    fs::path file() const { return program / "Bodypart.mdb"; }
    fs::path kept() const { return program / "Bodypart.jet.mdb"; }
    CatalogueTakeOver takeOver() { return TakeOverJetCatalogue(program.path(), log); }
    std::vector<BodyPartEntry> shownRows() {
        CatalogueDatabase db(program.path(), log);
        db.Open();
        return db.IsOpen() ? db.ShownBodyParts() : std::vector<BodyPartEntry>{};
    }
    // Files other than the catalogue, its kept copy, its lock and Settings.ini.
    std::vector<std::string> strays() const {
        std::vector<std::string> names;
        for (const auto& name : FileNames(program.path())) {
            if (name != "Bodypart.mdb" && name != "Bodypart.jet.mdb" && name != "Bodypart.lck" &&
                name != "Settings.ini" && name != "Logs") {
                names.push_back(name);
            }
        }
        return names;
    }

    test::TempFolder program;
    test::FixedClock clock;
    ErrorLog log{program.path(), clock};
    std::vector<JetBodyPartRow> rows = test::SampleJetCatalogue(kRows);
    std::string jet;
};

// Taken over once: the list shows the visible body parts in German order with their codes,
// the old file lies unchanged beside it, a second start leaves both alone.
TEST_P(CatalogueTakeOverTest, TakenOverOnceInGermanOrder) {
    const auto groupShared = fs::perms::owner_read | fs::perms::owner_write |
                             fs::perms::group_read | fs::perms::group_write;
    fs::permissions(file(), groupShared);
    const CatalogueTakeOver result = takeOver();
    ASSERT_EQ(result.outcome, CatalogueTakeOver::Outcome::TakenOver) << result.message;
    EXPECT_EQ(result.bodyParts, kRows);
    EXPECT_EQ(result.kept, kept());
    EXPECT_NE(result.message.find("300 Körperteile"), std::string::npos);
    EXPECT_NE(result.message.find(Utf8Path(kept())), std::string::npos);
    EXPECT_EQ(ReadBytes(kept()), jet);
    EXPECT_EQ(fs::status(file()).permissions(), groupShared);  // the group keeps its catalogue
    EXPECT_EQ(fs::status(kept()).permissions(), groupShared);
    EXPECT_EQ(JetFormatOfFile(file()), JetFormat::NotJet);
    EXPECT_EQ(shownRows(), visibleInGermanOrder(rows));
    EXPECT_TRUE(strays().empty());

    const std::string taken = ReadBytes(file());
    EXPECT_EQ(takeOver().outcome, CatalogueTakeOver::Outcome::NothingToDo);
    EXPECT_EQ(ReadBytes(file()), taken);
    EXPECT_TRUE(strays().empty());  // no second copy
}

// An order for a taken-over body part carries its name and codes in Windows-1252, byte for byte.
TEST_P(CatalogueTakeOverTest, OrderCarriesTheCodesByteForByte) {
    ASSERT_EQ(takeOver().outcome, CatalogueTakeOver::Outcome::TakenOver);
    const fs::path in = program / "in", out = program / "out";
    fs::create_directory(in);
    fs::create_directory(out);
    test::WriteSettings(program.path(), in, out, "Konica=1\r\n");
    test::WriteBytes(in / "a.gdt", "0133000471\r\n0153101Muster\r\n");
    test::RecordingOperator op;
    OrderSession session(program.path(), log, op, {});
    session.Load();
    const auto shown = shownRows();
    session.FillCatalogue(shown);
    // The first row whose name and code are beyond ASCII.
    const auto it = std::find_if(shown.begin(), shown.end(), [](const BodyPartEntry& e) {
        return !IsAscii(e.name) && !IsAscii(e.abbreviation);
    });
    ASSERT_NE(it, shown.end());
    session.SelectCatalogueRow(static_cast<std::size_t>(it - shown.begin()) + 1);
    session.AddSelectedBodyPart();
    ASSERT_EQ(session.Confirm(""), OrderSession::Confirmation::Done);
    const auto orders = FileNames(out);
    ASSERT_EQ(orders.size(), 1u);
    const std::string order = ReadBytes(out / orders[0]);
    const std::string name = ToAnsi(it->name);
    EXPECT_EQ(name.find('?'), std::string::npos);
    const auto line = [](const std::string& field, const std::string& content) {
        std::string length = std::to_string(content.size() + 9);
        return length.insert(0, 3 - length.size(), '0') + field + content + "\r\n";
    };
    EXPECT_NE(order.find(line("8751", ToAnsi(it->abbreviation))), std::string::npos) << order;
    EXPECT_NE(order.find(line("6227", name)), std::string::npos) << order;
}

// Makes the n-th file call (counting from 1) fail, or kill the program.
class NthCall final : public FileCallHook {
  public:
    NthCall(int n, bool kill) : n_(n), kill_(kill) {}
    int Before(FileCall, const fs::path&, const fs::path&) override {
        if (++calls_ != n_) return 0;
        if (kill_) ::kill(::getpid(), SIGKILL);
        return EIO;
    }
    void After(FileCall, const fs::path&, const fs::path&) override {}
    int Calls() const { return calls_; }

  private:
    int n_;
    bool kill_;
    int calls_ = 0;
};

struct HookSet {
    explicit HookSet(FileCallHook* hook) { SetFileCallHook(hook); }
    ~HookSet() { SetFileCallHook(nullptr); }
};

// Killed or failing at every file call of the take-over: Bodypart.mdb is always the Jet file or
// the whole new catalogue, never missing or half; the kept copy, when there, is the old file;
// the next start finishes the work and tells it once.
TEST_P(CatalogueTakeOverTest, KilledOrFailingAtEveryCallLeavesOldOrNew) {
    const std::vector<BodyPartEntry> visible = visibleInGermanOrder(rows);
    const auto check = [&](int at, bool kill) {
        SCOPED_TRACE((kill ? "killed at call " : "failing call ") + std::to_string(at));
        const std::string now = ReadBytes(file());
        if (now != jet) {
            EXPECT_EQ(shownRows(), visible);
        }
        if (fs::exists(kept())) {
            EXPECT_EQ(ReadBytes(kept()), jet);
        }
        EXPECT_FALSE(fs::exists(program / "Bodypart.jet.2.mdb"));
        const CatalogueTakeOver again = takeOver();
        EXPECT_EQ(again.outcome, now == jet ? CatalogueTakeOver::Outcome::TakenOver
                                            : CatalogueTakeOver::Outcome::NothingToDo);
        EXPECT_EQ(shownRows(), visible);
        EXPECT_EQ(ReadBytes(kept()), jet);
        // What a killed start left is one of the program's stale temporaries, which the next
        // start sweeps.
        for (const std::string& name : strays()) {
            EXPECT_TRUE(IsTemporaryName(name) && RemoveStaleTemporary(program / name)) << name;
        }
        EXPECT_FALSE(fs::exists(program / "Bodypart.jet.2.mdb"));
        fs::remove(kept());
        test::WriteJetCatalogue(file(), GetParam(), rows);
    };
    int killed = 0;
    for (int at = 1;; ++at) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            NthCall hook(at, true);
            HookSet set(&hook);
            takeOver();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFEXITED(status)) break;  // fewer calls than `at`: every one was tried
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        ++killed;
        check(at, true);
    }
    EXPECT_GE(killed, 8);  // lock, two staged files (create, write, flush), names, folder
    for (int at = 1; at <= killed; ++at) {
        NthCall hook(at, false);
        CatalogueTakeOver result;
        {
            HookSet set(&hook);
            result = takeOver();
        }
        if (result.outcome == CatalogueTakeOver::Outcome::Refused) {
            EXPECT_EQ(ReadBytes(file()), jet) << result.message;
        }
        check(at, false);
    }
}

// Fails the creation of any new file with EACCES: a folder the program may not write in.
class ReadOnlyFolder final : public FileCallHook {
  public:
    int Before(FileCall call, const fs::path&, const fs::path&) override {
        return call == FileCall::Create ? EACCES : 0;
    }
    void After(FileCall, const fs::path&, const fs::path&) override {}
};

// What cannot be taken over is refused with the reason and what to do, in German, and the Jet
// file stays exactly as it was, with nothing beside it.
TEST(CatalogueTakeOverRefusal, SaysWhyAndLeavesTheFileAlone) {
    struct Case {
        const char* what;
        std::function<void(std::vector<JetBodyPartRow>&, test::JetCatalogueOptions&)> rows;
        std::function<void(const fs::path& file)> after;  // done to the written file
        const char* said;
    };
    const auto none = [](auto&...) {};
    const std::vector<Case> cases = {
        {"table missing", [](auto&, auto& o) { o.tableName = "tblKoerperteile"; }, none,
         "Die Tabelle tblBodypart fehlt"},
        {"column missing", [](auto&, auto& o) { o.omittedColumns = {"f_Factory"}; }, none,
         "Die Spalte f_Factory fehlt in tblBodypart"},
        {"ID twice", [](auto& r, auto&) { r[5].id = 5; }, none,
         "Die ID 5 kommt in tblBodypart mehrfach vor"},
        {"ID missing", [](auto& r, auto&) { r[7].id.reset(); }, none,
         "Die 8. Zeile von tblBodypart hat keine ID"},
        {"held by Access", none,
         [](const fs::path& f) { test::WriteBytes(f.parent_path() / "Bodypart.ldb", "PC1"); },
         "in einem anderen Programm geöffnet"},
        {"damaged", none,
         [](const fs::path& f) {
             std::string bytes = ReadBytes(f);
             std::fill(bytes.begin() + 4096, bytes.end(), '\xAA');
             test::WriteBytes(f, bytes);
         },
         "beschädigt"},
        {"read-only folder", none, none, "schreibgeschützt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder program;
        test::FixedClock clock;
        ErrorLog log(program.path(), clock);
        std::vector<JetBodyPartRow> rows = test::SampleJetCatalogue(20);
        test::JetCatalogueOptions options;
        c.rows(rows, options);
        const fs::path file = program / "Bodypart.mdb";
        test::WriteJetCatalogue(file, JetVersion::Jet4, rows, options);
        c.after(file);
        const std::string before = ReadBytes(file);
        const auto namesBefore = FileNames(program.path());

        ReadOnlyFolder readOnly;
        CatalogueTakeOver result;
        {
            HookSet set(std::string(c.what) == "read-only folder" ? &readOnly : nullptr);
            result = TakeOverJetCatalogue(program.path(), log);
        }
        EXPECT_EQ(result.outcome, CatalogueTakeOver::Outcome::Refused);
        EXPECT_NE(result.message.find(c.said), std::string::npos) << result.message;
        EXPECT_NE(result.message.find("Die Datei bleibt unverändert."), std::string::npos);
        EXPECT_EQ(ReadBytes(file), before);
        std::vector<std::string> names;
        for (const auto& name : FileNames(program.path())) {
            if (name != "Bodypart.lck" && name != "Logs") names.push_back(name);
        }
        EXPECT_EQ(names, namesBefore);
        // The log has it too, for support.
        EXPECT_NE(ReadBytes(program / "Logs" / "ErrorLog.log").find("Sub Main"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, CatalogueTakeOverTest,
                         ::testing::Values(JetVersion::Jet3, JetVersion::Jet4,
                                           JetVersion::Jet4Compressed));

}  // namespace
}  // namespace morvik
