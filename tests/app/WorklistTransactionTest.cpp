#include <gtest/gtest.h>

#include <chrono>

#include "app/Confirmation.h"
#include "app/OrderTransaction.h"
#include "app/Recovery.h"
#include "app/WorklistCleanup.h"
#include "base/AppError.h"
#include "diag/ErrorLog.h"
#include "gdt/GdtLine.h"
#include "support/ProgramFolder.h"
#include "support/SampleRequest.h"
#include "support/StepKill.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
namespace fs = std::filesystem;

// Order files and their worklist items placed by one transaction, and what the next start makes
// of a transaction killed at any step. The items' bytes are a stand-in: the transaction treats
// them as any file.
class WorklistTransaction : public ::testing::Test {
  protected:
    WorklistTransaction() : log(program.path(), clock) {
        for (const fs::path& folder : {in(), out(), worklist()}) fs::create_directory(folder);
        WriteBytes(in() / "a.gdt", test::kMusterErika);
    }
    fs::path in() const { return program / "in"; }
    fs::path out() const { return program / "out"; }
    fs::path worklist() const { return program / "worklist"; }

    std::unique_ptr<OrderTransaction> begin(const std::string& worklistFolder) {
        return OrderTransaction::Begin(
            in() / "a.gdt", "gdt", Workplace{WorkstationName(), program.path()}, Utf8Path(out()),
            JournalPatient{"471", "Muster Erika", ""}, worklistFolder);
    }

    // Places `parts` order files, each followed by its item unless `failItem` names it.
    OrderTransaction::Outcome place(OrderTransaction& order, std::size_t parts,
                                    std::size_t failItem = 99) {
        std::vector<OrderTransaction::OrderFileWriter> writers;
        for (std::size_t i = 0; i < parts; ++i) {
            writers.emplace_back([this, i] {
                return std::optional<StagedFile>(
                    StagedFile(out() / (CreateGUID() + ".gdt"), "order " + std::to_string(i)));
            });
        }
        return order.Place(writers, [&](std::size_t index, const StagedFile& file) {
            if (index == failItem) return std::optional<StagedFile>();
            const fs::path name = file.Target().filename().replace_extension(".wl");
            return std::optional<StagedFile>(
                StagedFile(worklist() / name, "item of " + ReadBytes(file.Temporary())));
        });
    }

    // A confirmation of two body parts with the worklist in `folder`, as a copy runs it.
    void placeTwo(const std::string& folder) {
        if (auto order = begin(folder)) place(*order, 2);
    }

    // Every order file has its item (same name, ".wl", written for it) and every item its order
    // file; nothing of ours is left under a temporary name. Returns the number of pairs.
    std::size_t pairs() const {
        std::size_t orders = 0;
        for (const std::string& name : FileNames(out())) {
            EXPECT_TRUE(name.ends_with(".gdt")) << name;
            const fs::path item = worklist() / fs::path(name).replace_extension(".wl");
            EXPECT_TRUE(fs::exists(item)) << "no item for " << name;
            if (fs::exists(item)) {
                EXPECT_EQ(ReadBytes(item), "item of " + ReadBytes(out() / name));
            }
            ++orders;
        }
        for (const std::string& name : FileNames(worklist())) {
            EXPECT_TRUE(IsOwnWorklistItemName(name)) << name;
            EXPECT_TRUE(fs::exists(out() / fs::path(name).replace_extension(".gdt")))
                << "no order for " << name;
        }
        return orders;
    }

    TempFolder program;
    test::FixedClock clock;
    ErrorLog log;
};

TEST_F(WorklistTransaction, ItemsArePlacedWithTheirOrdersOrNotAtAll) {
    auto order = begin(Utf8Path(worklist()));
    ASSERT_TRUE(order);
    EXPECT_EQ(place(*order, 3), OrderTransaction::Outcome::Complete);
    order.reset();
    EXPECT_EQ(pairs(), 3u);
    EXPECT_FALSE(fs::exists(in() / "a.gdt"));
    EXPECT_TRUE(FileNames(in()).empty());

    // An item that cannot be written takes the whole order back, the files before it too.
    WriteBytes(in() / "a.gdt", test::kMusterErika);
    for (const std::string& name : FileNames(out())) fs::remove(out() / name);
    for (const std::string& name : FileNames(worklist())) fs::remove(worklist() / name);
    order = begin(Utf8Path(worklist()));
    ASSERT_TRUE(order);
    EXPECT_THROW(place(*order, 3, 1), AppError);
    order.reset();
    EXPECT_TRUE(FileNames(out()).empty());
    EXPECT_TRUE(FileNames(worklist()).empty());
    EXPECT_EQ(FileNames(in()), std::vector<std::string>{"a.gdt"});

    // Items without a worklist folder in the journal could never be completed after a crash.
    order = begin("");
    ASSERT_TRUE(order);
    EXPECT_THROW(place(*order, 1), AppError);
}

using test::StepKill;

class WorklistKill : public WorklistTransaction, public ::testing::WithParamInterface<StepKill> {
  protected:
    // A copy killed at the step, then the next start: with this workstation's worklist folder
    // as `worklistSetting`.
    void killThenStart(const std::string& journalFolder, const std::string& worklistSetting) {
        ASSERT_TRUE(test::RunKilledAt(GetParam(), [&] { placeTwo(journalFolder); }));
        const auto settled = RecoverConfirmations(program.path(), Utf8Path(in()), Utf8Path(out()),
                                                  log, worklistSetting);
        ASSERT_EQ(settled.size(), 1u);
        EXPECT_EQ(settled[0].completed, GetParam().completed);
        EXPECT_EQ(pairs(), GetParam().completed ? 2u : 0u);
        EXPECT_EQ(fs::exists(in() / "a.gdt"), !GetParam().completed);
    }
};

TEST_P(WorklistKill, NextStartLeavesEveryOrderWithItsItem) {
    killThenStart(Utf8Path(worklist()), Utf8Path(worklist()));
}

// The journal spells the folder as the workstation that wrote it; this one reaches it by another
// name (a link here, a drive letter against a server path on Windows), or has the worklist off.
TEST_P(WorklistKill, ItemsAreFoundByEitherSpellingOfTheFolder) {
    fs::create_directory_symlink(worklist(), program / "elsewhere");
    killThenStart(Utf8Path(program / "elsewhere"), Utf8Path(worklist()));
}

TEST_P(WorklistKill, AWorkstationWithTheWorklistOffCompletesItsItemsToo) {
    killThenStart(Utf8Path(worklist()), "");
}

INSTANTIATE_TEST_SUITE_P(Steps, WorklistKill,
                         ::testing::Values(StepKill{ConfirmStep::Staged, 3, false},
                                           StepKill{ConfirmStep::PublishRecorded, 1, true},
                                           StepKill{ConfirmStep::Renamed, 1, true},
                                           StepKill{ConfirmStep::Renamed, 3, true},
                                           StepKill{ConfirmStep::RequestDeleted, 1, true}));

// Items unreachable from here: the order stays journaled with its files unplaced, for a
// workstation that reaches both.
TEST_F(WorklistTransaction, OrdersWaitWhileTheirItemsCannotBeReached) {
    ASSERT_TRUE(test::RunKilledAt({ConfirmStep::PublishRecorded, 1, true},
                                  [&] { placeTwo(Utf8Path(worklist())); }));
    fs::rename(worklist(), program / "moved");
    EXPECT_TRUE(
        RecoverConfirmations(program.path(), Utf8Path(in()), Utf8Path(out()), log, "").empty());
    EXPECT_EQ(FileNames(out()).size(), 2u);  // still under their temporary names
    for (const std::string& name : FileNames(out())) EXPECT_EQ(name.front(), '~') << name;

    fs::rename(program / "moved", worklist());
    EXPECT_EQ(RecoverConfirmations(program.path(), Utf8Path(in()), Utf8Path(out()), log, "").size(),
              1u);
    EXPECT_EQ(pairs(), 2u);
}

TEST_F(WorklistTransaction, OldItemsOfOursGoAndNothingElse) {
    const auto aged = [&](const std::string& name, int days) {
        WriteBytes(worklist() / name, "x");
        fs::last_write_time(worklist() / name,
                            fs::file_time_type::clock::now() - std::chrono::hours(24 * days));
    };
    const std::string old = "0A1B2C3D-0000-4000-8000-00000000000A.wl";
    const std::string recent = "0A1B2C3D-0000-4000-8000-00000000000B.wl";
    aged(old, 8);
    aged(recent, 6);
    aged("lockfile", 30);
    aged("other-program.wl", 30);
    aged("0A1B2C3D-0000-4000-8000-00000000000C.gdt", 30);

    EXPECT_EQ(RemoveOldWorklistItems(worklist(), 7, log), 1u);
    EXPECT_FALSE(fs::exists(worklist() / old));
    EXPECT_EQ(FileNames(worklist()).size(), 4u);
    // A second workstation doing the same finds nothing more to do, and no failure.
    EXPECT_EQ(RemoveOldWorklistItems(worklist(), 7, log), 0u);
    EXPECT_EQ(RemoveOldWorklistItems(worklist(), 5, log), 1u);
    EXPECT_FALSE(fs::exists(worklist() / recent));
}

}  // namespace
}  // namespace morvik
