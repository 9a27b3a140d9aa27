#include <gtest/gtest.h>

#include "base/AppError.h"
#include "base/Text.h"
#include "catalogue/BodyPartList.h"
#include "catalogue/NameSearch.h"

namespace morvik {
namespace {

BodyPartList listOf(std::initializer_list<const char*> names) {
    BodyPartList list;
    for (const char* n : names) list.Append({n, "", ""});
    return list;
}

TEST(BodyPartList, RowsOutsideTheListAreAFailureNumberNine) {
    BodyPartList list = listOf({"A", "B"});
    try {
        list.Row(3);
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), 9);
    }
    EXPECT_THROW(list.Row(0), AppError);
    EXPECT_THROW(list.Cell(1, 4), AppError);
    EXPECT_THROW(list.Remove(0), AppError);
    EXPECT_EQ(list.Cell(2, 1), "B");
}

TEST(BodyPartList, RemovingMovesTheRowsBelowAndTheSelectionWithThem) {
    BodyPartList list = listOf({"A", "B", "C", "D"});
    list.Select(4);
    list.Remove(2);
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Row(2).name, "C");
    EXPECT_EQ(list.Selected(), 3u);  // still D
    list.Remove(3);
    EXPECT_EQ(list.Selected(), 0u);  // the selected row itself went
}

TEST(BodyPartList, DisablingDropsTheSelection) {
    BodyPartList list = listOf({"A"});
    list.Select(1);
    list.SetEnabled(false);
    EXPECT_EQ(list.Selected(), 0u);
    EXPECT_FALSE(list.Enabled());
}

TEST(NameSearch, UpperCaseKeepsCharacterCountSoPrefixesHold) {
    EXPECT_EQ(UpperCase("knie öse straße"), "KNIE ÖSE STRAßE");
    NameSearch search;
    search.Build({{"Fußgelenk", "", ""}, {"Fußwurzel", "", ""}, {"Straße", "", ""}});
    EXPECT_EQ(search.FirstMatch("fußw"), 2u);
    EXPECT_EQ(search.FirstMatch("FUSS"), 0u);  // ß is not ss when typing a start
    EXPECT_EQ(search.FirstMatch("Fußgelenk links"),
              0u);  // a name shorter than the text never matches
}

}  // namespace
}  // namespace morvik
