// Request/order pairs in tests/data/golden: each request is read by the program's reader and
// its order written through the program's write path, then compared byte for byte with the
// order file beside it. The pairs cover the worked example and the shapes practice systems
// write: every declared character set and every line end.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "gdt/AccessionCounter.h"
#include "gdt/OrderWriter.h"
#include "gdt/RequestReader.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::WriteBytes;

struct Golden {
    const char* name;  // <name>.request.gdt and <name>.order.gdt
    OrderFormat format;
    const char* lastNumber;  // AccNum.dat before the order; nullptr: no accession number
    OrderChoice choice;
    std::optional<BodyPartEntry> part;  // none: ordered without body parts
    const char* shownName;              // the name caption, decoded in the declared charset
};

void PrintTo(const Golden& g, std::ostream* os) {
    *os << g.name;
}

OrderFormat format(bool konica, bool factory, bool carestream, const char* prefix = nullptr,
                   const char* commentField = "6227") {
    OrderFormat f;
    f.konica = konica;
    f.factory = factory;
    f.carestream = carestream;
    f.accession = prefix != nullptr;
    f.accessionPrefix = prefix ? prefix : "";
    f.commentField = commentField;
    return f;
}

std::string testName(const ::testing::TestParamInfo<Golden>& pair) {
    std::string name = pair.param.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

class GoldenOrder : public ::testing::TestWithParam<Golden>, protected test::ProgramFolder {};

TEST_P(GoldenOrder, WritesTheOrderFileByteForByte) {
    const Golden& g = GetParam();
    const std::filesystem::path data = MORVIK_TEST_DATA "/golden";
    OrderFormat f = g.format;
    f.targetFolder = Utf8Path(program / "out");
    std::filesystem::create_directory(program / "out");

    const PatientRequest request = ReadGDT(data / (std::string(g.name) + ".request.gdt"));
    EXPECT_EQ("Name:" + request.spelledName, g.shownName);

    std::string number;
    if (g.lastNumber) {
        WriteBytes(program / "AccNum.dat", g.lastNumber);
        auto issued = AccessionCounter(program.path(), log).IssueNumbers(1);
        ASSERT_TRUE(issued);
        number = issued->front();
    }
    auto file = g.part ? WriteGDT(f, log, request.text, g.choice, *g.part, number)
                       : WriteGDTScan(f, log, request.text, g.choice);
    ASSERT_TRUE(file);
    file->Commit();
    const auto names = FileNames(program / "out");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(ReadBytes(program / "out" / names[0]),
              ReadBytes(data / (std::string(g.name) + ".order.gdt")));
    EXPECT_TRUE(test::Logged(log, {}));
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, GoldenOrder,
    ::testing::Values(
        // The worked example: Konica, accession number RAD0000042, Windows-1252, CR LF.
        Golden{"worked-example",
               format(true, false, false, "RAD"),
               "0000041",
               {"Röntgen", "links", "AB"},
               BodyPartEntry{"Thorax", "THX", "T01"},
               "Name: Muster Erika"},
        // A practice system writing code page 437 with LF alone: DR-Factory, no number.
        Golden{"cp437-lf",
               format(false, true, false),
               nullptr,
               {"CT", "", "MK"},
               BodyPartEntry{"Knie", "KN", "K02"},
               "Name: Müller Jürgen"},
        // ISO 8859-1 with lone CRs: Carestream, a number, the comment in field 6220.
        Golden{"latin1-cr",
               format(false, false, true, "X", "6220"),
               "0000006",
               {"Modalität 3", "Verdacht auf Fraktur", "ZW"},
               BodyPartEntry{"Schädel a.p.", "SCH", "S01"},
               "Name: Weiß Zoë"},
        // 7-bit German (DIN 66003), ordered without body parts: no number whatever the format.
        Golden{"din66003-scan",
               format(true, false, false, "RAD"),
               nullptr,
               {"Scan", "eilig", "AB"},
               std::nullopt,
               "Name: BÄr Jürg"}),
    testName);

}  // namespace
}  // namespace morvik
