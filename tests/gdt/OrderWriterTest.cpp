#include "gdt/OrderWriter.h"

#include <gtest/gtest.h>

#include "base/AppError.h"
#include "gdt/AccessionCounter.h"
#include "gdt/GdtLine.h"
#include "gdt/RequestReader.h"
#include "gdt/RequestSearch.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::WriteBytes;

const std::string kRequest = "0133000471\r\n0153101Muster\r\n0143102Erika\r\n";

class OrderWriterTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    OrderWriterTest() {
        std::filesystem::create_directory(program / "out");
        format.targetFolder = Utf8Path(program / "out");
    }

    // The only order file in the target folder.
    std::string onlyOrder() {
        auto names = FileNames(program / "out");
        EXPECT_EQ(names.size(), 1u);
        return names.empty() ? "" : ReadBytes(program / "out" / names[0]);
    }

    OrderFormat format;
};

// The vendor lines of the first switch set, in this order: Konica, Factory, Carestream.
TEST_F(OrderWriterTest, VariantsWriteTheVendorLinesOfTheFirstSwitchSet) {
    struct Case {
        bool konica, factory, carestream;
        std::string vendorLines;
    };
    for (const Case& c : {Case{false, false, false, ""}, Case{true, true, true, "0128751THX\r\n"},
                          Case{false, true, true, "0128750T01\r\n"},
                          Case{false, false, true, "0158751Thorax\r\n0128750T01\r\n"}}) {
        format.konica = c.konica;
        format.factory = c.factory;
        format.carestream = c.carestream;
        EXPECT_EQ(BuildOrderLines(format, "", {"Röntgen", "", "AB"}, {"Thorax", "THX", "T01"}),
                  CreateGDTLine("8402", "Röntgen") + c.vendorLines +
                      "0156227Thorax\r\n0155015Thorax\r\n0118315AB\r\n")
            << c.vendorLines;
    }
}

// Both kinds of order carry the comment under the configured field, split at its line breaks.
TEST_F(OrderWriterTest, CommentGoesUnderTheConfiguredField) {
    format.commentField = "6220";
    const OrderChoice choice{"Scan", "Patient\r\nim Rollstuhl", "AB"};
    const std::string comment = "0166220Patient\r\n0216220im Rollstuhl\r\n";
    EXPECT_EQ(BuildScanLines(format, choice), "0138402Scan\r\n" + comment + "0118315AB\r\n");
    EXPECT_EQ(BuildOrderLines(format, "", choice, {"Knie", "", ""}),
              "0138402Scan\r\n0136227Knie\r\n0135015Knie\r\n" + comment + "0118315AB\r\n");
}

TEST_F(OrderWriterTest, AccessionSwitchWithoutANumberIsRefused) {
    format.accession = true;
    format.accessionPrefix = "RAD";
    EXPECT_THROW(BuildOrderLines(format, "", {"Röntgen", "", ""}, {"Becken", "", ""}), AppError);
    format.accession = false;
    EXPECT_EQ(BuildOrderLines(format, "", {"Röntgen", "", ""}, {"Becken", "", ""}),
              "0168402R\xF6ntgen\r\n0156227Becken\r\n0155015Becken\r\n");
}

TEST_F(OrderWriterTest, FailureIsLoggedUnderTheWritersName) {
    format.targetFolder = Utf8Path(program / "fehlt");
    EXPECT_FALSE(WriteGDT(format, log, kRequest, {"Röntgen", "", ""}, {"Becken", "", ""}, ""));
    EXPECT_FALSE(WriteGDTScan(format, log, kRequest, {"Scan", "", ""}));
    EXPECT_TRUE(test::Logged(log, {"WriteGDT", "WriteGDTScan"}));
}

// The request text heads the file as it is, even without its final line end.
TEST_F(OrderWriterTest, RequestHeadsTheFileAsItIs) {
    const std::string request = "0133000471\r\n0118315XY";
    auto file = WriteGDTScan(format, log, request, {"Scan", "", "AB"});
    ASSERT_TRUE(file);
    file->Commit();
    EXPECT_EQ(onlyOrder(), request + "0138402Scan\r\n0118315AB\r\n");
}

// Folders named as a practice names them: the request is found and read and the order written
// in "Röntgen Aufträge", whatever the system's code page.
TEST_F(OrderWriterTest, FolderWithUmlauts) {
    const std::filesystem::path folder = program.path() / u8"Röntgen Aufträge";
    std::filesystem::create_directory(folder);
    WriteBytes(folder / u8"Müller.GDT", kRequest);
    const std::string separator(1, static_cast<char>(std::filesystem::path::preferred_separator));
    const std::string text = Utf8Path(program.path()) + separator + "Röntgen Aufträge";
    const auto found = FindRequest(text, "gdt", {});
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, text + separator + "Müller.GDT");
    EXPECT_EQ(ReadGDT(PathFromUtf8(*found)).text.view(), kRequest);
    format.targetFolder = text;
    auto file = WriteGDT(format, log, kRequest, {"Röntgen", "", ""}, {"Thorax", "THX", ""}, "");
    ASSERT_TRUE(file);
    file->Commit();
    EXPECT_EQ(FileNames(folder).size(), 2u);
}

}  // namespace
}  // namespace morvik
