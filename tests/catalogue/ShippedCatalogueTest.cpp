#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "catalogue/CatalogueCsv.h"
#include "catalogue/CatalogueDatabase.h"
#include "platform/FileSystem.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

namespace fs = std::filesystem;

// The catalogue as the build makes it from data/catalogue.csv, opened by the program's code
// in a copy, so the build's file stays as it is.
class ShippedCatalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy_file(MORVIK_SHIPPED_CATALOGUE, folder / "Bodypart.mdb");
        db.Open();
        ASSERT_TRUE(db.IsOpen());
        db.ForEachRow([&](const CatalogueRow& row) { rows.push_back(row); });
    }

    test::TempFolder folder;
    test::FixedClock clock;
    ErrorLog log{folder.path(), clock};
    CatalogueDatabase db{folder.path(), log};
    std::vector<CatalogueRow> rows;
};

TEST_F(ShippedCatalogue, HoldsTheSourceFileRowForRowWithUniqueCodes) {
    EXPECT_EQ(rows, ParseCatalogueCsv(ReadFileBytes(MORVIK_SHIPPED_CSV)));
    EXPECT_GE(rows.size(), 150u);
    EXPECT_LE(rows.size(), 250u);
    std::set<std::string> names, abbreviations, factoryCodes;
    for (const CatalogueRow& row : rows) {
        EXPECT_TRUE(row.show) << row.name;
        EXPECT_FALSE(row.abbreviation.empty()) << row.name;
        EXPECT_FALSE(row.factoryCode.empty()) << row.name;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_TRUE(abbreviations.insert(row.abbreviation).second) << row.abbreviation;
        EXPECT_TRUE(factoryCodes.insert(row.factoryCode).second) << row.factoryCode;
    }
    EXPECT_EQ(db.ShownBodyParts().size(), rows.size());
}

}  // namespace
}  // namespace morvik
