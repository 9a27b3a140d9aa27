#include <gtest/gtest.h>

#include "app/Confirmation.h"
#include "app/OrderSession.h"
#include "base/ErrorNumbers.h"
#include "diag/ErrorLog.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/SampleRequest.h"
#include "support/SettingsFile.h"
#include "support/StepKill.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
namespace fs = std::filesystem;

const std::string& kRequest = test::kMusterErika;
const std::string kOther = "0133000999\r\n0153101Andere\r\n";
const char* const kNotFound = "GDT-File wurde nicht gefunden.";

// One copy of the program: its session over a program folder shared with the others.
struct Copy {
    explicit Copy(const fs::path& program) : log(program, clock), session(program, log, op, {}) {}
    void load(std::size_t parts) {
        session.Load();
        session.FillCatalogue({{"Abdomen", "A", "F1"}, {"Becken", "B", "F2"}, {"Knie", "K", "F3"}});
        for (std::size_t r = 1; r <= parts; ++r) {
            session.SelectCatalogueRow(r);
            session.AddSelectedBodyPart();
        }
    }
    test::FixedClock clock;
    ErrorLog log;
    test::RecordingOperator op;
    OrderSession session;
};

class ConfirmationSafety : public ::testing::Test {
  protected:
    ConfirmationSafety() {
        fs::create_directory(in());
        fs::create_directory(out());
        test::WriteSettings(program.path(), in(), out(), "Acc=1\r\n");
        WriteBytes(in() / "a.gdt", kRequest);
    }
    fs::path in() const { return program / "in"; }
    fs::path out() const { return program / "out"; }
    // Order files whose head is `request`.
    std::size_t ordersFor(const std::string& request) const {
        std::size_t n = 0;
        for (const auto& name : FileNames(out())) {
            if (name.ends_with(".gdt") && ReadBytes(out() / name).starts_with(request)) ++n;
        }
        return n;
    }
    // Every file left in the three folders that is no request, order or setting of ours.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const fs::path& folder : {program.path(), in(), out()}) {
            for (const auto& name : FileNames(folder)) {
                if (name.front() == '~') names.push_back(name);
            }
        }
        return names;
    }

    TempFolder program;
};

// A new request written under the shown one's name while the orders are written stays, and
// nothing is ordered for it; the order goes to the request that was confirmed.
TEST_F(ConfirmationSafety, RequestReplacedWhileWritingIsKept) {
    Copy copy(program.path());
    copy.load(2);
    copy.op.onYield = [&](int) { WriteBytes(in() / "a.gdt", kOther); };
    EXPECT_EQ(copy.session.Confirm(""), OrderSession::Confirmation::Done);
    EXPECT_EQ(ReadBytes(in() / "a.gdt"), kOther);
    EXPECT_EQ(ordersFor(kRequest), 2u);
    EXPECT_EQ(ordersFor(kOther), 0u);
    EXPECT_TRUE(leftovers().empty());
}

// Two copies confirm the same request: one order set; the other is told the request is gone.
// Starting a third copy meanwhile leaves the running confirmation alone.
TEST_F(ConfirmationSafety, TwoCopiesConfirmingTheSameRequestOrderOnce) {
    Copy first(program.path()), second(program.path());
    first.load(2);
    second.load(3);
    OrderSession::Confirmation secondResult = OrderSession::Confirmation::Done;
    // At the second body part: the request is claimed and the first order file is staged.
    int yields = 0;
    first.op.onYield = [&](int) {
        if (++yields != 2) return;
        secondResult = second.session.Confirm("");
        Copy third(program.path());
        third.session.Load();
        EXPECT_TRUE(third.op.messages.empty() || third.op.Texts()[0] == kNotFound);
    };
    EXPECT_EQ(first.session.Confirm(""), OrderSession::Confirmation::Done);
    EXPECT_EQ(secondResult, OrderSession::Confirmation::Stay);
    EXPECT_EQ(second.op.Texts(), std::vector<std::string>{kNotFound});
    EXPECT_EQ(ordersFor(kRequest), 2u);
    EXPECT_EQ(FileNames(out()).size(), 2u);
    EXPECT_FALSE(fs::exists(in() / "a.gdt"));
    EXPECT_TRUE(leftovers().empty());
}

using test::StepKill;

class ConfirmationCrash : public ConfirmationSafety,
                          public ::testing::WithParamInterface<StepKill> {};

// A program killed at a step boundary: the next start completes the order (journal written)
// or takes it back (not yet), says so naming the patient, and leaves no file of its own.
TEST_P(ConfirmationCrash, NextStartSettlesTheOrderAndSaysSo) {
    ASSERT_TRUE(test::RunKilledAt(GetParam(), [&] {
        Copy copy(program.path());
        copy.load(3);
        copy.session.Confirm("");
    }));

    Copy next(program.path());
    next.session.Load();
    const bool completed = GetParam().completed;
    EXPECT_EQ(ordersFor(kRequest), completed ? 3u : 0u);
    EXPECT_EQ(FileNames(out()).size(), completed ? 3u : 0u);
    EXPECT_EQ(fs::exists(in() / "a.gdt"), !completed);
    EXPECT_TRUE(leftovers().empty()) << leftovers().front();
    ASSERT_FALSE(next.op.messages.empty());
    const std::string notice = next.op.messages[0].text;
    EXPECT_NE(notice.find("Patient 471 (Muster Erika)"), std::string::npos) << notice;
    EXPECT_NE(notice.find(completed ? "vollständig angelegt" : "zurückgenommen"), std::string::npos)
        << notice;
    const auto errors = test::LoggedErrors(next.log);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0].number, completed ? err::OrderCompleted : err::OrderRolledBack);
}

INSTANTIATE_TEST_SUITE_P(Steps, ConfirmationCrash,
                         ::testing::Values(StepKill{ConfirmStep::Claimed, 1, false},
                                           StepKill{ConfirmStep::Staged, 2, false},
                                           StepKill{ConfirmStep::PublishRecorded, 1, true},
                                           StepKill{ConfirmStep::Renamed, 1, true},
                                           StepKill{ConfirmStep::RequestDeleted, 1, true}));

// Entries of the request folder that are no request: a link (here to a private file) and a
// file too large to be one. Neither is shown or ordered; the link is logged once.
TEST_F(ConfirmationSafety, LinksAndOversizedFilesAreNoRequests) {
    fs::remove(in() / "a.gdt");
    WriteBytes(program / "privat.txt", kOther);
    fs::create_symlink(program / "privat.txt", in() / "a.gdt");
    Copy copy(program.path());
    copy.load(1);
    EXPECT_EQ(copy.session.Patient().id, "ID:");
    EXPECT_EQ(copy.session.Confirm(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(copy.op.Texts(), (std::vector<std::string>{kNotFound, kNotFound}));
    auto errors = test::LoggedErrors(copy.log);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, err::NotRegularFile);

    std::string huge(10u << 20, 'x');
    WriteBytes(in() / "b.gdt", kRequest + huge);
    copy.op.messages.clear();
    EXPECT_EQ(copy.session.Confirm(""), OrderSession::Confirmation::Stay);
    EXPECT_EQ(copy.op.Texts(),
              (std::vector<std::string>{
                  "Die Datei \"b.gdt\" ist zu groß, um eine Anforderung zu sein (mehr als 10 MB), "
                  "und bleibt unverändert liegen; es wird nichts angelegt.",
                  kNotFound}));
    EXPECT_EQ(copy.session.Patient().id, "ID:");
    EXPECT_TRUE(FileNames(out()).empty());
    EXPECT_EQ(fs::file_size(in() / "b.gdt"), kRequest.size() + huge.size());
    EXPECT_EQ(test::LoggedErrors(copy.log).size(), 2u);
}

}  // namespace
}  // namespace morvik
