#include "app/CatalogueChoice.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/ErrorNumbers.h"
#include "catalogue/CatalogueDatabase.h"
#include "support/CatalogueFile.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

using test::PlainQuery;

constexpr const char* kThreeRows =
    "INSERT INTO tblBodypart VALUES (3, 'Knie', 1, 'KN', 'F-KN');"
    "INSERT INTO tblBodypart VALUES (8, 'Schulter', 0, 'SCH', 'F-SCH');"
    "INSERT INTO tblBodypart VALUES (12, 'Thorax', 1, 'TH', 'F-TH');";

class CatalogueChoiceTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    CatalogueChoice& open() {
        model_ = std::make_unique<CatalogueChoice>(db, log, op);
        model_->Load();
        return *model_;
    }
    std::vector<std::string> showFlags() {
        return PlainQuery(program / "Bodypart.mdb",
                          "SELECT ID, f_Show FROM tblBodypart ORDER BY ID");
    }

    test::RecordingOperator op;
    CatalogueDatabase db{program.path(), log};

  private:
    std::unique_ptr<CatalogueChoice> model_;
};

TEST_F(CatalogueChoiceTest, ListsEveryRowWithItsFlagAndID) {
    test::MakeCatalogue(program.path(), kThreeRows);
    CatalogueChoice& choice = open();
    EXPECT_EQ(choice.Items(),
              (std::vector<CatalogueChoiceItem>{
                  {3, "Knie", true}, {8, "Schulter", false}, {12, "Thorax", true}}));
    EXPECT_EQ(op.yields, 3);  // the window repaints while a long catalogue loads
    EXPECT_FALSE(db.IsOpen());
    EXPECT_TRUE(test::Logged(log, {}));
}

TEST_F(CatalogueChoiceTest, ARowWithoutFlagStopsTheLoadingAfterTheRowsBefore) {
    test::MakeCatalogue(program.path(),
                        "INSERT INTO tblBodypart VALUES (1, 'Becken', 1, 'B', 'F-B');"
                        "INSERT INTO tblBodypart VALUES (2, 'Hand', NULL, 'H', 'F-H');"
                        "INSERT INTO tblBodypart VALUES (3, 'Knie', 0, 'K', 'F-K');");
    CatalogueChoice& choice = open();
    EXPECT_EQ(choice.Items(), (std::vector<CatalogueChoiceItem>{{1, "Becken", true}}));
    const auto errors = test::LoggedErrors(log);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, err::InvalidUseOfNull);
    EXPECT_TRUE(errors[0].loggedUnder("Form_Load - frmSelectBodyparts")) << errors[0].text;
}

// OK closes all the same: the catalogue would not open at the next try either.
TEST_F(CatalogueChoiceTest, AMissingCatalogueOpensEmptyIsNotCreatedAndOkCloses) {
    CatalogueChoice& choice = open();
    EXPECT_TRUE(choice.Items().empty());
    EXPECT_TRUE(choice.Confirm());
    EXPECT_FALSE(std::filesystem::exists(program / "Bodypart.mdb"));
    EXPECT_TRUE(test::Logged(log, {"Connection", "Form_Load - frmSelectBodyparts", "Connection",
                                   "cmdOK_Click - frmSelectBoyparts"}));
}

TEST_F(CatalogueChoiceTest, AFailedWriteChangesNoRowAndCanBeRepeated) {
    test::MakeCatalogue(program.path(),
                        std::string(kThreeRows) +
                            "CREATE TRIGGER refuse BEFORE UPDATE ON tblBodypart WHEN NEW.ID = 12 "
                            "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;");
    const auto before = showFlags();
    CatalogueChoice& choice = open();
    choice.CheckNone();

    EXPECT_FALSE(choice.Confirm());
    // Rows 3 and 8 came before the refused one and are unchanged all the same.
    EXPECT_EQ(showFlags(), before);
    const auto errors = test::LoggedErrors(log);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, err::Database);
    EXPECT_TRUE(errors[0].loggedUnder("cmdOK_Click - frmSelectBoyparts")) << errors[0].text;

    test::MakeCatalogue(program.path(), "DROP TRIGGER refuse;");
    EXPECT_TRUE(choice.Confirm());
    EXPECT_EQ(showFlags(), (std::vector<std::string>{"3|0", "8|0", "12|0"}));
}

}  // namespace
}  // namespace morvik
