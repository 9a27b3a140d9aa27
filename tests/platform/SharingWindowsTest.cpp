// Other programs on Windows: another claimer of the same request, and programs that hold a file
// for a while without delete sharing (virus scanners, the search indexer, backup). They run as
// real processes (OtherProgram.cpp), since sharing is between handles of different programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/FileSystem.h"
#include "support/OtherProgram.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::HoldElsewhere;
using test::OtherProgram;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Two workstations claim one request at the same instant, round after round: each time exactly
// one has it, and it has the request's own bytes; the other is told it is taken, never an error.
TEST(SharingWithOthers, TwoClaimersOfOneRequestExactlyOneHasIt) {
    constexpr int kRounds = 150;
    TempFolder dir;
    const std::wstring prefix = test::UniqueEventName(L"");
    std::vector<HANDLE> go, done;
    for (const wchar_t* who : {L"A", L"B"}) {
        go.push_back(CreateEventW(nullptr, FALSE, FALSE, (prefix + L"go-" + who).c_str()));
        done.push_back(CreateEventW(nullptr, FALSE, FALSE, (prefix + L"done-" + who).c_str()));
    }
    const std::wstring args = L"\"" + dir.path().wstring() + L"\" ";
    const std::wstring rest = L" " + std::to_wstring(kRounds) + L" " + prefix;
    OtherProgram a(L"claim " + args + L"A" + rest), b(L"claim " + args + L"B" + rest);
    for (int round = 0; round < kRounds; ++round) {
        WriteBytes(dir / "ANFRAGE.GDT", "Anfrage " + std::to_string(round));
        SetEvent(go[0]);
        SetEvent(go[1]);
        ASSERT_EQ(WaitForMultipleObjects(2, done.data(), TRUE, 60000), WAIT_OBJECT_0);
    }
    ASSERT_EQ(a.ExitCode(), 0u);
    ASSERT_EQ(b.ExitCode(), 0u);
    const std::string lettersA = ReadBytes(dir / "A.txt"), lettersB = ReadBytes(dir / "B.txt");
    ASSERT_EQ(lettersA.size(), static_cast<std::size_t>(kRounds));
    ASSERT_EQ(lettersB.size(), static_cast<std::size_t>(kRounds));
    int sharedWins = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::string pair = {lettersA[round], lettersB[round]};
        const std::string n = std::to_string(round);
        ASSERT_TRUE(pair == "DT" || pair == "TD") << "round " << round << ": " << pair;
        const fs::path claim = dir / ("claim-" + std::string(pair == "DT" ? "A" : "B") + "-" + n);
        EXPECT_EQ(ReadBytes(claim), "Anfrage " + n) << "round " << round;
        sharedWins += pair == "DT" ? 1 : 0;
    }
    EXPECT_FALSE(fs::exists(dir / "ANFRAGE.GDT"));
    for (HANDLE h : go) CloseHandle(h);
    for (HANDLE h : done) CloseHandle(h);
    std::printf("A claimed %d of %d rounds\n", sharedWins, kRounds);
}

// A claim takes only the request that was read: a new file under its name (the practice system
// wrote it anew) is left where it is.
TEST(SharingWithOthers, AClaimTakesOnlyTheFileItRead) {
    TempFolder dir;
    WriteBytes(dir / "ANFRAGE.GDT", "alt");
    HeldFile held(dir / "ANFRAGE.GDT");
    ASSERT_EQ(RenameNoReplace(dir / "ANFRAGE.GDT", dir / "ALT.GDT"), RenameOutcome::Done);
    WriteBytes(dir / "ANFRAGE.GDT", "neu");
    EXPECT_EQ(held.ClaimAs(dir / "claim"), RenameOutcome::SourceMissing);
    EXPECT_EQ(ReadBytes(dir / "ANFRAGE.GDT"), "neu");
    EXPECT_FALSE(fs::exists(dir / "claim"));
}

// A request that another program keeps from being renamed beyond the patience is taken as far as
// this workstation can tell: the claim says so and the request stays where it is. A moment's
// hold is waited out.
TEST(SharingWithOthers, AClaimWaitsOutAMomentAndCallsALongHoldTaken) {
    TempFolder dir;
    WriteBytes(dir / "ANFRAGE.GDT", "Anfrage");
    {
        auto other = HoldElsewhere(dir / "ANFRAGE.GDT", 60000);
        HeldFile held(dir / "ANFRAGE.GDT");
        EXPECT_EQ(held.ClaimAs(dir / "claim"), RenameOutcome::SourceMissing);
        EXPECT_TRUE(held.IsAt(dir / "ANFRAGE.GDT"));
        EXPECT_FALSE(fs::exists(dir / "claim"));
    }
    auto other = HoldElsewhere(dir / "ANFRAGE.GDT", 1000);
    HeldFile held(dir / "ANFRAGE.GDT");
    EXPECT_EQ(held.ClaimAs(dir / "claim"), RenameOutcome::Done);
    EXPECT_TRUE(held.IsAt(dir / "claim"));
}

// A give-back or a confirmation's last steps: a rename or deletion that another program stops
// for a second goes through after a wait; one stopped for longer fails plainly and changes
// nothing, rather than being called done.
TEST(SharingWithOthers, RenamesAndDeletionsWaitOutAMomentAndFailPlainlyAfter) {
    TempFolder dir;
    WriteBytes(dir / "a", "a");
    {
        auto other = HoldElsewhere(dir / "a", 60000);
        try {
            RenameNoReplace(dir / "a", dir / "b");
            ADD_FAILURE() << "renamed a file another program held";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number(), err::PermissionDenied) << e.what();
        }
        EXPECT_THROW(DeleteFileForced(dir / "a"), AppError);
        EXPECT_EQ(ReadBytes(dir / "a"), "a");
        EXPECT_FALSE(fs::exists(dir / "b"));
    }
    {
        auto other = HoldElsewhere(dir / "a", 1000);
        EXPECT_EQ(RenameNoReplace(dir / "a", dir / "b"), RenameOutcome::Done);
    }
    auto other = HoldElsewhere(dir / "b", 1000);
    DeleteFileForced(dir / "b");
    EXPECT_FALSE(fs::exists(dir / "b"));
}

}  // namespace
}  // namespace morvik
