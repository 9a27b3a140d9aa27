#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "gdt/AccessionCounter.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class AccessionCounterTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    AccessionCounter counter{program.path(), log};
    std::filesystem::path dat() const { return program / "AccNum.dat"; }
    std::optional<std::string> next() {
        auto numbers = counter.IssueNumbers(1);
        return numbers ? std::optional(numbers->front()) : std::nullopt;
    }
};

TEST_F(AccessionCounterTest, MissingFileStartsAtOne) {
    EXPECT_EQ(next(), "0000001");
    EXPECT_EQ(ReadBytes(dat()), "0000001");
}

TEST_F(AccessionCounterTest, IssuesTheNextNumberAndStoresExactlyIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"41", "0000042"},
        {"9999999", "10000000"},
        // Blanks and a line end from a hand edit are fine.
        {" 0000041\r\n", "0000042"},
        // A longer stale tail never survives: the file is rewritten whole.
        {"00000041", "0000042"}};
    for (auto [stored, issued] : cases) {
        // Each case a fresh installation: the counter never goes back below a number issued.
        std::filesystem::remove(program / "AccNum.lck");
        WriteBytes(dat(), stored);
        EXPECT_EQ(next(), issued);
        EXPECT_EQ(ReadBytes(dat()), issued);
    }
    EXPECT_TRUE(test::Logged(log, {}));
}

TEST_F(AccessionCounterTest, CorruptFileIssuesNothingLeavesTheFileAndLogs) {
    const std::string cases[] = {"-5", "", "12a", "0000041\r\n7", "99999999999999999999999"};
    for (const std::string& stored : cases) {
        WriteBytes(dat(), stored);
        EXPECT_EQ(next(), std::nullopt) << stored;
        EXPECT_EQ(ReadBytes(dat()), stored);
    }
    EXPECT_TRUE(test::Logged(log, std::vector<std::string>(5, "ReadAccNum")));
}

TEST_F(AccessionCounterTest, SeveralNumbersAreIssuedTogether) {
    WriteBytes(dat(), "0000041");
    EXPECT_EQ(counter.IssueNumbers(3), (std::vector<std::string>{"0000042", "0000043", "0000044"}));
    EXPECT_EQ(ReadBytes(dat()), "0000044");
    EXPECT_EQ(next(), "0000045");
}

TEST_F(AccessionCounterTest, TwoProgramsNeverIssueTheSameNumber) {
    constexpr int kPerProcess = 200;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        test::FixedClock c;
        ErrorLog childLog(program.path(), c);
        AccessionCounter other(program.path(), childLog);
        for (int i = 0; i < kPerProcess; ++i) {
            if (!other.IssueNumbers(1)) _exit(1);
        }
        _exit(0);
    }
    std::set<std::string> mine;
    for (int i = 0; i < kPerProcess; ++i) {
        auto n = next();
        ASSERT_TRUE(n.has_value());
        mine.insert(*n);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // Every number was issued once: the last one is the total.
    EXPECT_EQ(ReadBytes(dat()), AccessionCounter::CounterText(2 * kPerProcess));
    EXPECT_EQ(mine.size(), static_cast<std::size_t>(kPerProcess));
}

}  // namespace
}  // namespace morvik
