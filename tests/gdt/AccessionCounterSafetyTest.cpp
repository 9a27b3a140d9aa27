#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "gdt/AccessionCounter.h"
#include "support/ProgramFolder.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
namespace fs = std::filesystem;

struct Damage {
    const char* name;
    const char* counter;  // nullptr: deleted
    bool refused;
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.name;
}

class AccessionDamage : public ::testing::TestWithParam<Damage> {};

// Once numbers were issued, a counter that is gone or smaller would issue them again.
TEST_P(AccessionDamage, CounterNeverGoesBack) {
    TempFolder program;
    test::FixedClock clock;
    ErrorLog log(program.path(), clock);
    AccessionCounter counter(program.path(), log);
    ASSERT_TRUE(counter.IssueNumbers(5));
    if (GetParam().counter) {
        WriteBytes(program / "AccNum.dat", GetParam().counter);
    } else {
        fs::remove(program / "AccNum.dat");
    }
    auto numbers = counter.IssueNumbers(1);
    if (!GetParam().refused) {
        EXPECT_EQ(numbers, std::vector<std::string>{"0000010"});
        return;
    }
    EXPECT_EQ(numbers, std::nullopt);
    EXPECT_EQ(fs::exists(program / "AccNum.dat"), GetParam().counter != nullptr);
    const auto errors = test::LoggedErrors(log);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, err::CounterWentBack);
    EXPECT_TRUE(errors[0].loggedUnder("ReadAccNum")) << errors[0].text;
}

INSTANTIATE_TEST_SUITE_P(Cases, AccessionDamage,
                         ::testing::Values(Damage{"cut to 000", "000", true},
                                           Damage{"smaller", "0000003", true},
                                           Damage{"deleted", nullptr, true},
                                           Damage{"set higher on purpose", "0000009", false}));

// Two program folders share one counter through a link; two programs issuing from them at the
// same time never issue a number twice, and the links stay links.
TEST(AccessionShared, LinkedCounterOfTwoProgramFoldersIssuesEveryNumberOnce) {
    constexpr int kPerProcess = 150;
    TempFolder root;
    for (const char* name : {"shared", "a", "b"}) fs::create_directory(root / name);
    WriteBytes(root / "shared" / "AccNum.dat", "0000000");
    fs::create_symlink(root / "shared" / "AccNum.dat", root / "a" / "AccNum.dat");
    fs::create_symlink("../shared/AccNum.dat", root / "b" / "AccNum.dat");
    auto issue = [&](const char* folder) {
        test::FixedClock clock;
        ErrorLog log(root / folder, clock);
        AccessionCounter counter(root / folder, log);
        for (int i = 0; i < kPerProcess; ++i) {
            if (!counter.IssueNumbers(1)) return false;
        }
        return true;
    };
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(issue("b") ? 0 : 1);
    EXPECT_TRUE(issue("a"));
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(root / "shared" / "AccNum.dat"),
              AccessionCounter::CounterText(2 * kPerProcess));
    EXPECT_TRUE(fs::is_symlink(root / "a" / "AccNum.dat"));
    EXPECT_TRUE(fs::is_symlink(root / "b" / "AccNum.dat"));
}

}  // namespace
}  // namespace morvik
