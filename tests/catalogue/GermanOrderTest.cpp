#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CatalogueFiles.h"
#include "catalogue/CatalogueDatabase.h"
#include "support/FixedClock.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

// The start-up query on a real file, names stored in a shuffled order.
struct OrderCase {
    const char* name;
    std::vector<std::string> stored;
    std::vector<std::string> expected;
    friend void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }
};

class GermanNameOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(GermanNameOrder, StartUpQuerySortsAsAGermanReaderExpects) {
    test::TempFolder folder;
    std::string sql;
    int id = 1;
    for (const std::string& name : GetParam().stored) {
        sql += "INSERT INTO tblBodypart VALUES (" + std::to_string(id++) + ", '" + name +
               "', 1, '', '');";
    }
    test::MakeCatalogue(folder.path(), sql);
    test::FixedClock clock;
    ErrorLog log(folder.path(), clock);
    CatalogueDatabase db(folder.path(), log);

    db.Connection(1);
    std::vector<std::string> names;
    for (const BodyPartEntry& e : db.ShownBodyParts()) names.push_back(e.name);

    EXPECT_EQ(names, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, GermanNameOrder,
    ::testing::Values(OrderCase{"CaseDoesNotCount",
                                {"knie links", "Clavicula", "abdomen", "Becken"},
                                {"abdomen", "Becken", "Clavicula", "knie links"}},
                      OrderCase{"UmlautBesideItsVowel",
                                {"Pankreas", "Ostium", "Ösophagus", "Oberschenkel"},
                                {"Oberschenkel", "Ösophagus", "Ostium", "Pankreas"}},
                      OrderCase{"LeadingAeAndUe",
                                {"Becken", "Uterus", "Äußeres Ohr", "Unterarm", "Abdomen",
                                 "Übersicht Becken", "Augenhöhle"},
                                {"Abdomen", "Augenhöhle", "Äußeres Ohr", "Becken",
                                 "Übersicht Becken", "Unterarm", "Uterus"}},
                      OrderCase{"SharpSAsDoubleS",
                                {"Gesicht", "Fusswurzel", "Fundus", "Fußgelenk"},
                                {"Fundus", "Fußgelenk", "Fusswurzel", "Gesicht"}},
                      OrderCase{"UmlautInsideAWord",
                                {"Schulter", "Schädel", "Schambein", "schräg"},
                                {"Schädel", "Schambein", "schräg", "Schulter"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvik
