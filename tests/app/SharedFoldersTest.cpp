#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <tuple>
#include <utility>

#include "app/Confirmation.h"
#include "app/OrderSession.h"
#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "platform/FileCalls.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/SampleRequest.h"
#include "support/SettingsFile.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
namespace fs = std::filesystem;

const std::string& kRequest = test::kMusterErika;
const char* const kIncomplete =
    "Der Auftrag für Patient 471 (Muster Erika) ist noch nicht vollständig angelegt; er wird "
    "beim nächsten Start von Morvik vervollständigt.";

// Fails (or kills the process before) every file call that `matches`, as a share would; with
// `afterwards` the call is done and then reported failed, as when the server's reply is lost.
struct FailingCalls final : FileCallHook {
    std::function<bool(FileCall, const fs::path&, const fs::path&)> matches;
    int error = EIO;
    bool kill = false;
    bool refuseNoReplace = false;  // as NFS and CIFS do
    bool afterwards = false;
    bool replyLost = false;
    int Before(FileCall call, const fs::path& path, const fs::path& other) override {
        if (refuseNoReplace && call == FileCall::RenameNoReplace) return EINVAL;
        if (!matches || !matches(call, path, other)) return 0;
        if (kill) ::kill(::getpid(), SIGKILL);
        replyLost = afterwards;
        return afterwards ? 0 : error;
    }
    void After(FileCall, const fs::path&, const fs::path&) override {
        if (std::exchange(replyLost, false)) throw AppError(err::PathFileAccess, "keine Antwort");
    }
};

bool renamesToOrder(FileCall call, const fs::path& path, const fs::path& other) {
    return (call == FileCall::RenameNoReplace || call == FileCall::Link) &&
           Utf8Path(other).ends_with(".gdt") && Utf8Path(path).ends_with(".tmp");
}

// One workstation: its own program folder, the source and target folders of the practice.
struct Workstation {
    Workstation(const fs::path& program, const fs::path& in, const fs::path& out)
        : log(program, clock), session(program, log, op, {}) {
        test::WriteSettings(program, in, out, "Acc=1\r\n");
    }
    OrderSession::Confirmation confirm(std::size_t parts) {
        session.Load();
        session.FillCatalogue({{"Abdomen", "A", "F1"}, {"Becken", "B", "F2"}, {"Knie", "K", "F3"}});
        for (std::size_t r = 1; r <= parts; ++r) {
            session.SelectCatalogueRow(r);
            session.AddSelectedBodyPart();
        }
        return session.Confirm("");
    }
    test::FixedClock clock;
    ErrorLog log;
    test::RecordingOperator op;
    OrderSession session;
};

class SharedFolders : public ::testing::Test {
  protected:
    SharedFolders() {
        for (const fs::path& f : {a(), b(), in(), out()}) fs::create_directory(f);
        WriteBytes(in() / "a.gdt", kRequest);
    }
    ~SharedFolders() override {
        SetFileCallHook(nullptr);
        SetJournalLease(std::chrono::seconds(60));
        SetWorkstationNameForTest("");
    }
    fs::path a() const { return root / "a"; }
    fs::path b() const { return root / "b"; }
    fs::path in() const { return root / "in"; }
    fs::path out() const { return root / "out"; }
    std::size_t orders() const {
        std::size_t n = 0;
        for (const auto& name : FileNames(out())) n += name.ends_with(".gdt") ? 1 : 0;
        return n;
    }
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const fs::path& folder : {a(), b(), in(), out()}) {
            for (const auto& name : FileNames(folder)) {
                if (name.front() == '~') names.push_back(name);
            }
        }
        return names;
    }
    // Workstation A confirms three body parts in a child that `hook` kills.
    void confirmInChildKilledBy(FailingCalls& hook) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SetFileCallHook(&hook);
            Workstation(a(), in(), out()).confirm(3);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    // A is killed right before its `n`th order file would get its name (the journal names them).
    void killBeforeRename(int n) {
        FailingCalls hook;
        hook.kill = true;
        hook.matches = [n, seen = 0](FileCall c, const fs::path& p, const fs::path& o) mutable {
            return renamesToOrder(c, p, o) && ++seen == n;
        };
        confirmInChildKilledBy(hook);
    }
    // The file in the source folder whose name ends in `ending` (a journal, a claim), or none.
    fs::path inFolder(const std::string& ending) const {
        for (const auto& name : FileNames(in())) {
            if (name.ends_with(ending)) return in() / name;
        }
        return {};
    }
    Journal journal() const { return Journal::Parse(ReadBytes(inFolder(".journal"))); }
    bool logged(const ErrorLog& log, const std::string& part) const {
        for (const auto& e : test::LoggedErrors(log)) {
            if (e.text.find(part) != std::string::npos) return true;
        }
        return false;
    }
    void expectRequestBackAndNothingOrdered() const {
        EXPECT_EQ(FileNames(in()), std::vector<std::string>{"a.gdt"});
        EXPECT_EQ(ReadBytes(in() / "a.gdt"), kRequest);
        EXPECT_TRUE(FileNames(out()).empty()) << FileNames(out()).front();
        EXPECT_TRUE(leftovers().empty()) << leftovers().front();
    }
    void expectOrderedOnce() const {
        EXPECT_EQ(orders(), 3u);
        EXPECT_EQ(FileNames(out()).size(), 3u);
        EXPECT_FALSE(fs::exists(in() / "a.gdt"));
        EXPECT_TRUE(leftovers().empty()) << leftovers().front();
    }

    TempFolder root;
};

bool publishing(FileCall call, const fs::path& path, const fs::path& other, int& seen) {
    return renamesToOrder(call, path, other) && ++seen >= 2;
}

// A dies after its first order file got its name; B, with a program folder of its own, starts
// next and completes the order, naming A; A's own start then finds nothing left to do.
TEST_F(SharedFolders, AnotherProgramFolderCompletesAKilledConfirmation) {
    FailingCalls hook;
    hook.kill = true;
    int seen = 0;
    hook.matches = [&](FileCall c, const fs::path& p, const fs::path& o) {
        return publishing(c, p, o, seen);
    };
    confirmInChildKilledBy(hook);
    Workstation second(b(), in(), out());
    second.session.Load();
    EXPECT_EQ(orders(), 3u);
    EXPECT_FALSE(fs::exists(in() / "a.gdt"));
    EXPECT_TRUE(leftovers().empty());
    ASSERT_FALSE(second.op.messages.empty());
    const std::string notice = second.op.messages[0].text;
    EXPECT_NE(notice.find("Programmordner \"" + a().string() + "\""), std::string::npos) << notice;
    EXPECT_NE(notice.find("Patient 471 (Muster Erika) wurde jetzt vollständig angelegt"),
              std::string::npos)
        << notice;
    Workstation first(a(), in(), out());
    first.session.Load();
    EXPECT_EQ(first.op.Texts(), std::vector<std::string>{"GDT-File wurde nicht gefunden."});
    EXPECT_EQ(orders(), 3u);
}

// Without renames that never replace, a kill between link and unlink leaves one file under two
// names: the next start neither gives the request back twice nor stops at the order file.
struct Cut {
    const char* what;
    const char* secondName;  // the name the link made: ".claim" or ".gdt"
    std::size_t orders;
};
void PrintTo(const Cut& c, std::ostream* os) {
    *os << c.what;
}
class LinkThenUnlink : public SharedFolders, public ::testing::WithParamInterface<Cut> {};

TEST_P(LinkThenUnlink, NextStartSettlesTheTwoNames) {
    FailingCalls hook;
    hook.kill = true;
    hook.refuseNoReplace = true;
    bool linked = false;
    hook.matches = [&](FileCall c, const fs::path&, const fs::path& o) {
        if (c == FileCall::Link) linked = Utf8Path(o).ends_with(GetParam().secondName);
        return c == FileCall::Remove && linked;
    };
    confirmInChildKilledBy(hook);
    Workstation next(b(), in(), out());
    next.session.Load();
    EXPECT_EQ(orders(), GetParam().orders);
    EXPECT_EQ(FileNames(in()), GetParam().orders == 0 ? std::vector<std::string>{"a.gdt"}
                                                      : std::vector<std::string>{});
    EXPECT_TRUE(leftovers().empty()) << leftovers().front();
}

INSTANTIATE_TEST_SUITE_P(Fallback, LinkThenUnlink,
                         ::testing::Values(Cut{"claim", ".claim", 0},
                                           Cut{"publishing", ".gdt", 3}));

// Calls that keep failing once order files have their names: the confirmation does not take
// them back, tells the operator the order is incomplete, and the next start completes it, also
// when the imaging side has taken an order file away meanwhile.
struct Failure {
    const char* what;
    std::function<bool(FileCall, const fs::path&, const fs::path&, int&)> matches;
    std::size_t ordersBefore;
};
void PrintTo(const Failure& f, std::ostream* os) {
    *os << f.what;
}
class ForwardOnly : public SharedFolders, public ::testing::WithParamInterface<Failure> {};

TEST_P(ForwardOnly, IncompleteOrderIsCompletedAtTheNextStart) {
    FailingCalls hook;
    int seen = 0;
    hook.matches = [&](FileCall c, const fs::path& p, const fs::path& o) {
        return GetParam().matches(c, p, o, seen);
    };
    SetFileCallHook(&hook);
    Workstation first(a(), in(), out());
    EXPECT_EQ(first.confirm(3), OrderSession::Confirmation::Done);
    EXPECT_EQ(first.op.Texts().back(), kIncomplete);
    EXPECT_EQ(orders(), GetParam().ordersBefore);
    EXPECT_FALSE(fs::exists(in() / "a.gdt"));
    SetFileCallHook(nullptr);

    const std::string taken = FileNames(out()).front();  // by the imaging side
    ASSERT_TRUE(taken.ends_with(".gdt"));
    fs::remove(out() / taken);
    Workstation next(b(), in(), out());
    next.session.Load();
    EXPECT_EQ(orders(), 2u);
    EXPECT_FALSE(fs::exists(in() / "a.gdt"));
    EXPECT_TRUE(leftovers().empty()) << leftovers().front();
    EXPECT_NE(next.op.Texts()[0].find("vollständig angelegt"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ForwardOnly,
    ::testing::Values(Failure{"second order file cannot be renamed", publishing, 1},
                      Failure{"claim cannot be deleted",
                              [](FileCall c, const fs::path& p, const fs::path&, int&) {
                                  return c == FileCall::Remove && Utf8Path(p).ends_with(".claim");
                              },
                              3}));

// A program folder that takes no new file (below "Programme", a read-only share): with
// accession numbers on, the order needs nothing there but AccNum.dat and AccNum.lck.
TEST_F(SharedFolders, ProgramFolderTakesNoNewFile) {
    WriteBytes(a() / "AccNum.dat", "0000007");
    WriteBytes(a() / "AccNum.lck", "");
    FailingCalls hook;
    hook.error = EACCES;
    hook.matches = [&](FileCall c, const fs::path& p, const fs::path&) {
        return c == FileCall::Create && p.parent_path() == a();
    };
    SetFileCallHook(&hook);
    Workstation first(a(), in(), out());
    EXPECT_EQ(first.confirm(2), OrderSession::Confirmation::Done);
    EXPECT_EQ(first.op.Texts().back(), "Der Auftrag wurde erfolgreich angelegt.");
    EXPECT_EQ(orders(), 2u);
    EXPECT_EQ(ReadBytes(a() / "AccNum.dat"), "0000009");
}

// One call that fails once, or is done but reported failed, after the journal names the order
// files: the order is still complete and said to be.
struct Hiccup {
    const char* what;
    FileCall call;
    const char* ending;  // of the call's path
    int nth;             // the failing call among those that match
    bool afterwards;
};
void PrintTo(const Hiccup& h, std::ostream* os) {
    *os << h.what;
}
class OneHiccup : public SharedFolders, public ::testing::WithParamInterface<Hiccup> {};

TEST_P(OneHiccup, OrderIsCompleteAndSaidToBe) {
    FailingCalls hook;
    hook.afterwards = GetParam().afterwards;
    hook.refuseNoReplace = GetParam().call == FileCall::Link;
    hook.matches = [seen = 0](FileCall c, const fs::path& p, const fs::path&) mutable {
        return c == GetParam().call && Utf8Path(p).ends_with(GetParam().ending) &&
               ++seen == GetParam().nth;
    };
    SetFileCallHook(&hook);
    Workstation first(a(), in(), out());
    EXPECT_EQ(first.confirm(3), OrderSession::Confirmation::Done);
    EXPECT_EQ(first.op.Texts().back(), "Der Auftrag wurde erfolgreich angelegt.");
    expectOrderedOnce();
}

INSTANTIATE_TEST_SUITE_P(
    Calls, OneHiccup,
    ::testing::Values(
        Hiccup{"second rename fails", FileCall::RenameNoReplace, ".tmp", 2, false},
        Hiccup{"second link fails", FileCall::Link, ".tmp", 2, false},
        Hiccup{"claim deletion fails", FileCall::Remove, ".claim", 1, false},
        Hiccup{"first rename's reply lost", FileCall::RenameNoReplace, ".tmp", 1, true},
        Hiccup{"second rename's reply lost", FileCall::RenameNoReplace, ".tmp", 2, true},
        Hiccup{"claim deletion's reply lost", FileCall::Remove, ".claim", 1, true}));

// The first order file cannot get its name at all: the request is back under its name, no
// order file or temporary is left, the operator is told so, and no later start orders anything.
class FirstRenameRefused : public SharedFolders, public ::testing::WithParamInterface<bool> {};

TEST_P(FirstRenameRefused, RequestIsBackAndNothingIsOrdered) {
    FailingCalls hook;
    hook.refuseNoReplace = GetParam();
    hook.matches = renamesToOrder;
    SetFileCallHook(&hook);
    Workstation first(a(), in(), out());
    EXPECT_EQ(first.confirm(3), OrderSession::Confirmation::Stay);
    EXPECT_EQ(first.op.Texts().back(),
              "Der Auftrag konnte nicht angelegt werden. Details stehen im Fehlerprotokoll.");
    expectRequestBackAndNothingOrdered();
    SetFileCallHook(nullptr);
    Workstation(b(), in(), out()).session.Load();
    expectRequestBackAndNothingOrdered();
}

INSTANTIATE_TEST_SUITE_P(RenameOrLink, FirstRenameRefused, ::testing::Bool());

// A start finds an order file's final name taken. Other bytes there: nothing is overwritten or
// deleted, the journal stays for the operator to look at, and it is logged. The same bytes (an
// earlier start died after its rename): the temporary goes and the order is complete.
class FinalNameTaken : public SharedFolders, public ::testing::WithParamInterface<bool> {};

TEST_P(FinalNameTaken, OnlyTheSameBytesCountAsPlaced) {
    const bool same = GetParam();
    killBeforeRename(1);
    const auto [temporary, final] = journal().files.at(1);
    const std::string there = same ? ReadBytes(out() / temporary) : "0133000999\r\n";
    WriteBytes(out() / final, there);
    Workstation next(b(), in(), out());
    next.session.Load();
    EXPECT_EQ(ReadBytes(out() / final), there);
    if (same) {
        expectOrderedOnce();
        EXPECT_NE(next.op.Texts()[0].find("vollständig angelegt"), std::string::npos);
    } else {
        EXPECT_TRUE(fs::exists(out() / temporary));
        EXPECT_FALSE(inFolder(".journal").empty());
        EXPECT_FALSE(inFolder(".claim").empty());
        EXPECT_TRUE(logged(next.log, final));
    }
}

INSTANTIATE_TEST_SUITE_P(SameBytes, FinalNameTaken, ::testing::Bool());

// A journal a power cut or a bad sector damaged after the order files were staged: a record
// whose check line does not match counts as never written, so the order is taken back whole.
struct Damage {
    const char* what;
    void (*apply)(std::string& journal);
};
void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.what;
}
class DamagedJournal : public SharedFolders, public ::testing::WithParamInterface<Damage> {};

std::size_t after(const std::string& text, const std::string& key, int nth = 1) {
    std::size_t at = 0;
    for (int i = 0; i < nth; ++i) at = text.find(key, at) + key.size();
    return at;
}

TEST_P(DamagedJournal, OrderIsTakenBackWhole) {
    killBeforeRename(1);
    std::string text = ReadBytes(inFolder(".journal"));
    GetParam().apply(text);
    WriteBytes(inFolder(".journal"), text);
    SetJournalLease(std::chrono::seconds(0));
    Workstation next(b(), in(), out());
    next.session.Load();
    expectRequestBackAndNothingOrdered();
    ASSERT_FALSE(next.op.Texts().empty());
    EXPECT_NE(next.op.Texts()[0].find("zurückgenommen"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Records, DamagedJournal,
    ::testing::Values(
        Damage{"publishing record cut after a file",
               [](std::string& j) { j.resize(j.find('\n', after(j, "\nto=")) + 1); }},
        Damage{"publishing record cut before its check",
               [](std::string& j) { j.resize(after(j, "\npublish=") - 8); }},
        Damage{"publishing record cut in its check",
               [](std::string& j) { j.resize(j.size() - 4); }},
        Damage{"temporary's name flipped", [](std::string& j) { j[after(j, "\nfile=~", 2)] ^= 1; }},
        Damage{"final name flipped", [](std::string& j) { j[after(j, "\nto=", 3)] ^= 1; }},
        Damage{"an old sector in the record",
               [](std::string& j) {
                   const std::size_t from = after(j, "\nfile=", 2) - 5;
                   std::fill(j.begin() + from, j.begin() + after(j, "\nfile=", 3) - 5, '\0');
               }},
        Damage{"head cut short", [](std::string& j) { j.resize(after(j, "\nhead=") - 5); }},
        Damage{"request's name flipped in the head",
               [](std::string& j) { j[after(j, "\nrequest=")] ^= 1; }}));

// A journal whose lock cannot be tested: fresh, it is left alone with all it names, whoever
// wrote it, and that is logged once naming the share; once its lease ran out it is settled.
class UntestableLock : public SharedFolders, public ::testing::WithParamInterface<bool> {};

TEST_P(UntestableLock, OnlyTheLeaseTellsTheWriterIsGone) {
    SetWorkstationNameForTest("PC-A");
    killBeforeRename(1);
    if (!GetParam()) SetWorkstationNameForTest("PC-B");
    FailingCalls hook;
    hook.error = ENOLCK;
    hook.matches = [](FileCall c, const fs::path& p, const fs::path&) {
        return c == FileCall::LockTest && Utf8Path(p).ends_with(".journal");
    };
    // Staged long ago: only the journal's fresh lease keeps them.
    for (const auto& file : journal().files) {
        fs::last_write_time(out() / file.first,
                            fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    SetFileCallHook(&hook);
    Workstation next(b(), in(), out());
    next.session.Load();
    EXPECT_EQ(orders(), 0u);
    EXPECT_EQ(leftovers().size(), 5u);  // journal, claim, three temporaries
    EXPECT_TRUE(logged(next.log, "Sperren lassen sich auf " + in().string() + " nicht pr"));
    EXPECT_EQ(test::LoggedErrors(next.log).size(), 1u);

    SetJournalLease(std::chrono::seconds(0));
    Workstation later(b(), in(), out());
    later.session.Load();
    expectOrderedOnce();
}

INSTANTIATE_TEST_SUITE_P(SameWorkstation, UntestableLock, ::testing::Bool());

// While A (another workstation) is about to rename the order files its journal names, B starts:
// B sweeps none of A's temporaries, also where locks do not reach B (then only A's journal
// protects them, its lease fresh, theirs run out), and nothing at all when it cannot read A's
// journal, which may name any; a stale temporary of nobody's goes only when every journal was
// read.
std::function<void()> atJournaled;
class LiveCopy : public SharedFolders,
                 public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(LiveCopy, ItsTemporariesStay) {
    const auto [locksSeen, unreadable] = GetParam();
    const fs::path stale = out() / ("~" + std::string(32, '0') + ".tmp");
    FailingCalls hook;
    hook.matches = [&](FileCall c, const fs::path& p, const fs::path&) {
        hook.error = c == FileCall::LockTest ? kLockNotSeen : EIO;
        return (c == FileCall::LockTest && !locksSeen) ||
               (c == FileCall::Read && unreadable && Utf8Path(p).ends_with(".journal"));
    };
    SetWorkstationNameForTest("PC-A");
    atJournaled = [&] {
        SetWorkstationNameForTest("PC-B");
        WriteBytes(stale, "x");
        const auto files = journal().files;
        const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
        fs::last_write_time(stale, longAgo);
        for (const auto& file : files) fs::last_write_time(out() / file.first, longAgo);
        SetFileCallHook(&hook);
        Workstation(b(), in(), out()).session.Load();
        SetFileCallHook(nullptr);
        SetWorkstationNameForTest("PC-A");
        for (const auto& [temporary, final] : files) {
            EXPECT_TRUE(fs::exists(out() / temporary)) << temporary;
        }
        EXPECT_EQ(fs::exists(stale), unreadable);
    };
    SetStepHook([](ConfirmStep s) {
        if (s == ConfirmStep::PublishRecorded) atJournaled();
    });
    Workstation first(a(), in(), out());
    EXPECT_EQ(first.confirm(3), OrderSession::Confirmation::Done);
    SetStepHook(nullptr);
    EXPECT_EQ(first.op.Texts().back(), "Der Auftrag wurde erfolgreich angelegt.");
    fs::remove(stale);
    expectOrderedOnce();
}

INSTANTIATE_TEST_SUITE_P(LocksSeenJournalUnreadable, LiveCopy,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

// A second copy started while the first tells its operator the order is not complete yet: the
// first holds nothing open any more and has given up its lease, so the second completes the
// order at once and says so; nothing is ordered twice.
class SecondCopyDuringNotice : public SharedFolders, public ::testing::WithParamInterface<bool> {};

TEST_P(SecondCopyDuringNotice, CompletesTheOrderOnce) {
    FailingCalls hook;
    hook.matches = [seen = 0](FileCall c, const fs::path& p, const fs::path& o) mutable {
        return publishing(c, p, o, seen);
    };
    SetWorkstationNameForTest("PC-A");
    SetFileCallHook(&hook);
    Workstation first(a(), in(), out());
    std::vector<std::string> secondSaid;
    first.op.onMessage = [&](const std::string& text) {
        if (text != kIncomplete) return;
        SetFileCallHook(nullptr);
        if (!GetParam()) SetWorkstationNameForTest("PC-B");
        Workstation second(b(), in(), out());
        second.session.Load();
        secondSaid = second.op.Texts();
        expectOrderedOnce();
    };
    EXPECT_EQ(first.confirm(3), OrderSession::Confirmation::Done);
    ASSERT_FALSE(secondSaid.empty());
    EXPECT_NE(secondSaid[0].find("wurde jetzt vollständig angelegt"), std::string::npos);
    Workstation(a(), in(), out()).session.Load();
    expectOrderedOnce();
}

INSTANTIATE_TEST_SUITE_P(SameWorkstation, SecondCopyDuringNotice, ::testing::Bool());

// A start that cannot look whether a temporary is still there leaves the journal, the claim
// and the temporaries as they are (it logs why); the next start completes the order.
class CouldNotLook : public SharedFolders, public ::testing::WithParamInterface<int> {};

TEST_P(CouldNotLook, IsNoAbsence) {
    killBeforeRename(GetParam());
    const std::vector<std::string> before = FileNames(out());
    FailingCalls hook;
    hook.matches = [](FileCall c, const fs::path& p, const fs::path&) {
        return c == FileCall::Look && Utf8Path(p).ends_with(".tmp");
    };
    SetFileCallHook(&hook);
    Workstation next(b(), in(), out());
    next.session.Load();
    EXPECT_EQ(FileNames(out()), before);
    EXPECT_FALSE(inFolder(".journal").empty());
    EXPECT_FALSE(inFolder(".claim").empty());
    EXPECT_FALSE(test::LoggedErrors(next.log).empty());
    SetFileCallHook(nullptr);
    Workstation(b(), in(), out()).session.Load();
    expectOrderedOnce();
}

INSTANTIATE_TEST_SUITE_P(KilledBeforeRename, CouldNotLook, ::testing::Values(1, 3));

}  // namespace
}  // namespace morvik
