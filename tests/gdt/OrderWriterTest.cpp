#include <gtest/gtest.h>

#include "config/AppSettings.h"
#include "diag/AppError.h"
#include "diag/ErrorLog.h"
#include "gdt/AccessionCounter.h"
#include "gdt/GdtLine.h"
#include "gdt/OrderWriter.h"
#include "support/FixedClock.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::CrLfLines;
using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const std::string kRequest = "0133000471\r\n0153101Muster\r\n0143102Erika\r\n";

class OrderWriterTest : public ::testing::Test {
protected:
    OrderWriterTest() {
        std::filesystem::create_directory(program / "out");
        settings.GDTZiel = (program / "out").string();
        settings.CommentField = "6227";
        settings.Kuerzel = "AB";
    }

    // The only order file in the target folder.
    std::string onlyOrder() {
        auto names = FileNames(program / "out");
        EXPECT_EQ(names.size(), 1u);
        return names.empty() ? "" : ReadBytes(program / "out" / names[0]);
    }

    TempFolder program;
    test::FixedClock clock;
    ErrorLog log{program.path(), clock};
    AccessionCounter counter{program.path(), log};
    AppSettings settings;
};

TEST_F(OrderWriterTest, WorkedExampleComesOutByteForByte) {
    settings.Konica = true;
    settings.Acc = true;
    settings.AccNum = "RAD";
    WriteBytes(program / "AccNum.dat", "0000041");
    ASSERT_TRUE(WriteGDT(settings, counter, log, "0133000471\r\n0153101Muster\r\n0143102Erika\r\n",
                         {"Röntgen", "links"}, {"Thorax", "THX", "T01"}));
    EXPECT_EQ(onlyOrder(),
              "0133000471\r\n"
              "0153101Muster\r\n"
              "0143102Erika\r\n"
              "0168402R\xF6ntgen\r\n"
              "0128751THX\r\n"
              "0156227Thorax\r\n"
              "0155015Thorax\r\n"
              "0194100RAD0000042\r\n"
              "0146227links\r\n"
              "0118315AB\r\n");
    EXPECT_EQ(ReadBytes(program / "AccNum.dat"), "0000042");
    EXPECT_FALSE(std::filesystem::exists(log.file()));
}

struct VariantCase {
    const char* what;
    bool konica, factory, carestream;
    std::vector<std::string> vendorLines;
};

void PrintTo(const VariantCase& c, std::ostream* os) { *os << c.what; }

class OrderVariants : public OrderWriterTest, public ::testing::WithParamInterface<VariantCase> {};

TEST_P(OrderVariants, WriteTheVendorLinesOfTheFirstSwitchSet) {
    settings.Konica = GetParam().konica;
    settings.Factory = GetParam().factory;
    settings.Carestream = GetParam().carestream;
    std::string lines = BuildOrderLines(settings, counter, {"Röntgen", ""}, {"Thorax", "THX", "T01"});
    std::string expected = CreateGDTLine("8402", "Röntgen");
    for (const auto& l : GetParam().vendorLines) expected += l;
    expected += "0156227Thorax\r\n0155015Thorax\r\n0118315AB\r\n";
    EXPECT_EQ(lines, expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrderVariants,
    ::testing::Values(
        VariantCase{"none", false, false, false, {}},
        VariantCase{"Konica", true, false, false, {"0128751THX\r\n"}},
        VariantCase{"Konica wins over Factory", true, true, true, {"0128751THX\r\n"}},
        VariantCase{"Factory", false, true, true, {"0128750T01\r\n"}},
        VariantCase{"Carestream", false, false, true, {"0158751Thorax\r\n", "0128750T01\r\n"}}));

TEST_F(OrderWriterTest, EmptyContentsLeaveTheirLinesOut) {
    settings.Konica = true;
    settings.Kuerzel = "";
    std::string lines = BuildOrderLines(settings, counter, {"Röntgen", ""}, {"Thorax", "", "T01"});
    EXPECT_EQ(lines, "0168402R\xF6ntgen\r\n0156227Thorax\r\n0155015Thorax\r\n");
}

TEST_F(OrderWriterTest, OneGdtJoinedTextsTravelAsOneLineEach) {
    settings.Factory = true;
    std::string lines =
        BuildOrderLines(settings, counter, {"Röntgen", ""}, {"Thorax, Knie", "THX, KN", "T01|K02"});
    EXPECT_NE(lines.find("0168750T01|K02\r\n"), std::string::npos);
    EXPECT_NE(lines.find("0216227Thorax, Knie\r\n0215015Thorax, Knie\r\n"), std::string::npos);
}

TEST_F(OrderWriterTest, CommentGoesUnderTheConfiguredFieldAndMayHoldLineBreaks) {
    settings.CommentField = "6220";
    std::string lines = BuildScanLines(settings, {"Scan", "Patient\r\nim Rollstuhl"});
    EXPECT_EQ(lines, "0138402Scan\r\n0166220Patient\r\n0216220im Rollstuhl\r\n0118315AB\r\n");
}

TEST_F(OrderWriterTest, ScanOrderIgnoresTheAccessionSwitch) {
    settings.Acc = true;
    settings.AccNum = "RAD";
    ASSERT_TRUE(WriteGDTScan(settings, log, kRequest, {"Scan", ""}));
    EXPECT_EQ(onlyOrder(), kRequest + "0138402Scan\r\n0118315AB\r\n");
    EXPECT_FALSE(std::filesystem::exists(program / "AccNum.dat"));
}

TEST_F(OrderWriterTest, RequestTextIsCopiedAsItIsEvenWithoutFinalLineEnd) {
    std::string request = "0133000471\r\n0118315XY";  // a request that already has 8315, no CR LF
    ASSERT_TRUE(WriteGDTScan(settings, log, request, {"Scan", ""}));
    EXPECT_EQ(onlyOrder(), request + "0138402Scan\r\n0118315AB\r\n");
}

TEST_F(OrderWriterTest, ConsecutiveOrdersGetConsecutiveNumbersAndDistinctNames) {
    settings.Acc = true;
    settings.AccNum = "";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WriteGDT(settings, counter, log, kRequest, {"Röntgen", ""}, {"Becken", "", ""}));
    }
    auto names = FileNames(program / "out");
    ASSERT_EQ(names.size(), 3u);
    std::vector<std::string> numbers;
    for (const auto& n : names) {
        EXPECT_EQ(n.size(), 36u + 4u);
        EXPECT_TRUE(n.ends_with(".gdt"));
        for (const auto& line : CrLfLines(program / "out" / n)) {
            if (line.substr(3, 4) == "4100") numbers.push_back(line.substr(7));
        }
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<std::string>{"0000001", "0000002", "0000003"}));
}

TEST_F(OrderWriterTest, CorruptCounterFailsTheOrderInsteadOfWritingAStaleNumber) {
    settings.Acc = true;
    settings.AccNum = "RAD";
    WriteBytes(program / "AccNum.dat", "kaputt");
    EXPECT_FALSE(WriteGDT(settings, counter, log, kRequest, {"Röntgen", ""}, {"Becken", "", ""}));
    EXPECT_TRUE(FileNames(program / "out").empty());
    auto lines = CrLfLines(log.file());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" - ReadAccNum"));
    EXPECT_TRUE(lines[1].ends_with(" - WriteGDT"));
}

TEST_F(OrderWriterTest, AccessionSwitchWithoutANumberIsRefused) {
    settings.Acc = true;
    settings.AccNum = "RAD";
    EXPECT_THROW(BuildOrderLines(settings, std::string_view(), {"Röntgen", ""}, {"Becken", "", ""}),
                 AppError);
    settings.Acc = false;
    EXPECT_EQ(BuildOrderLines(settings, std::string_view(), {"Röntgen", ""}, {"Becken", "", ""}),
              "0168402R\xF6ntgen\r\n0156227Becken\r\n0155015Becken\r\n0118315AB\r\n");
}

TEST_F(OrderWriterTest, MissingTargetFolderIsReportedAndLeavesNothing) {
    settings.GDTZiel = (program / "fehlt").string();
    EXPECT_FALSE(WriteGDT(settings, counter, log, kRequest, {"Röntgen", ""}, {"Becken", "", ""}));
    EXPECT_FALSE(WriteGDTScan(settings, log, kRequest, {"Scan", ""}));
    auto lines = CrLfLines(log.file());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" - WriteGDT"));
    EXPECT_TRUE(lines[1].ends_with(" - WriteGDTScan"));
}

TEST_F(OrderWriterTest, StagedOrderIsInvisibleUntilCommitted) {
    StagedFile file = StageOrderFile(settings, kRequest, BuildScanLines(settings, {"Scan", ""}));
    for (const auto& name : FileNames(program / "out")) EXPECT_FALSE(name.ends_with(".gdt")) << name;
    file.commit();
    EXPECT_EQ(onlyOrder(), kRequest + "0138402Scan\r\n0118315AB\r\n");
}

}  // namespace
}  // namespace morvik
