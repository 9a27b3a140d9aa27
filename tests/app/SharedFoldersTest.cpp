#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "app/OrderSession.h"
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

// Fails (or kills the process before) every file call that `matches`, as a share would.
struct FailingCalls final : FileCallHook {
    std::function<bool(FileCall, const fs::path&, const fs::path&)> matches;
    int error = EIO;
    bool kill = false;
    bool refuseNoReplace = false;  // as NFS and CIFS do
    int Before(FileCall call, const fs::path& path, const fs::path& other) override {
        if (refuseNoReplace && call == FileCall::RenameNoReplace) return EINVAL;
        if (!matches || !matches(call, path, other)) return 0;
        if (kill) ::kill(::getpid(), SIGKILL);
        return error;
    }
    void After(FileCall, const fs::path&, const fs::path&) override {}
};

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
    ~SharedFolders() override { SetFileCallHook(nullptr); }
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

    TempFolder root;
};

bool publishing(FileCall call, const fs::path& path, const fs::path& other, int& seen) {
    return (call == FileCall::RenameNoReplace || call == FileCall::Link) &&
           Utf8Path(other).ends_with(".gdt") && Utf8Path(path).ends_with(".tmp") && ++seen >= 2;
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

}  // namespace
}  // namespace morvik
