#include <gtest/gtest.h>

#include <future>

#include "base/ErrorNumbers.h"
#include "gdt/AccessionCounter.h"
#include "support/ProgramFolder.h"
#include "support/TempFolder.h"

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

// Once numbers were issued, a counter that is gone or smaller would issue them again.
TEST_F(AccessionCounterTest, CounterNeverGoesBack) {
    ASSERT_TRUE(counter.IssueNumbers(5));
    for (const char* damaged : {"000", "0000003", static_cast<const char*>(nullptr)}) {
        if (damaged) {
            WriteBytes(dat(), damaged);
        } else {
            std::filesystem::remove(dat());
        }
        EXPECT_EQ(next(), std::nullopt) << (damaged ? damaged : "deleted");
        EXPECT_EQ(std::filesystem::exists(dat()), damaged != nullptr);
    }
    const auto errors = test::LoggedErrors(log);
    ASSERT_EQ(errors.size(), 3u);
    for (const auto& e : errors) {
        EXPECT_EQ(e.number, err::CounterWentBack);
        EXPECT_TRUE(e.loggedUnder("ReadAccNum")) << e.text;
    }
    WriteBytes(dat(), "0000009");  // set higher on purpose
    EXPECT_EQ(next(), "0000010");
}

// Two programs issuing from one counter at the same time never issue a number twice. Each has
// its own counter, lock and file handles, as two programs would; they run as threads so that the
// test runs on every system. On POSIX their program folders share the counter through links,
// which stay links.
TEST(AccessionShared, TwoProgramsIssuingAtOnceIssueEveryNumberOnce) {
    namespace fs = std::filesystem;
    constexpr int kPerProgram = 150;
    test::TempFolder root;
    for (const char* name : {"shared", "a", "b"}) fs::create_directory(root / name);
#ifdef _WIN32
    const fs::path shared = root / "a" / "AccNum.dat";
    const char* second = "a";
#else
    const fs::path shared = root / "shared" / "AccNum.dat";
    const char* second = "b";
    fs::create_symlink(shared, root / "a" / "AccNum.dat");
    fs::create_symlink("../shared/AccNum.dat", root / "b" / "AccNum.dat");
#endif
    WriteBytes(shared, "0000000");
    auto issue = [&](const char* folder) {
        test::FixedClock clock;
        ErrorLog log(root / folder, clock);
        AccessionCounter counter(root / folder, log);
        for (int i = 0; i < kPerProgram; ++i) {
            if (!counter.IssueNumbers(1)) return false;
        }
        return true;
    };
    auto other = std::async(std::launch::async, issue, second);
    EXPECT_TRUE(issue("a"));
    EXPECT_TRUE(other.get());
    // Every number was issued once: the last one is the total.
    EXPECT_EQ(ReadBytes(shared), AccessionCounter::CounterText(2 * kPerProgram));
#ifndef _WIN32
    EXPECT_TRUE(fs::is_symlink(root / "a" / "AccNum.dat"));
    EXPECT_TRUE(fs::is_symlink(root / "b" / "AccNum.dat"));
#endif
}

}  // namespace
}  // namespace morvik
