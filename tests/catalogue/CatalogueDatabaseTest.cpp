#include "catalogue/CatalogueDatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "support/CatalogueFile.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

namespace fs = std::filesystem;

using test::LoggedErrors;
using test::MakeCatalogue;
using test::PlainQuery;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class CatalogueDatabaseTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    const fs::path& folder = program.path();
    fs::path file() const { return folder / "Bodypart.mdb"; }
    // Makes the catalogue from `sql` and opens the connection to it.
    void openWith(const std::string& sql) {
        MakeCatalogue(folder, sql);
        db.Connection(1);
    }
    std::vector<std::string> shownNames() {
        std::vector<std::string> result;
        for (const BodyPartEntry& e : db.ShownBodyParts()) result.push_back(e.name);
        return result;
    }
    std::vector<CatalogueRow> allRows() {
        std::vector<CatalogueRow> rows;
        db.ForEachRow([&](const CatalogueRow& row) { rows.push_back(row); });
        return rows;
    }
    std::vector<std::string> flags() {
        return PlainQuery(file(), "SELECT f_Show FROM tblBodypart ORDER BY ID");
    }

    CatalogueDatabase db{folder, log};
};

const std::string OneRow = "INSERT INTO tblBodypart VALUES (1, 'Becken', 1, 'B', 'F')";

// --- Connection: the open/close rules and their log lines --------------------------------

// Connection(1) opens, Connection(0) closes, other values do nothing; only a close of a closed
// connection is logged.
TEST(CatalogueConnection, FollowsItsArgumentAndLogsOnlyBadCloses) {
    struct Case {
        std::vector<int> actions;
        bool openAfter;
        std::size_t badCloses;
    };
    for (const Case& c : std::vector<Case>{{{1}, true, 0},
                                           {{1, 1}, true, 0},
                                           {{1, 1, 0}, false, 0},
                                           {{0}, false, 1},
                                           {{1, 0, 0}, false, 1},
                                           {{1, 0, 1}, true, 0},
                                           {{2, -1, 7}, false, 0},
                                           {{1, 2, -1}, true, 0}}) {
        test::ProgramFolder p;
        MakeCatalogue(p.program.path(), OneRow);
        CatalogueDatabase db(p.program.path(), p.log);
        for (int action : c.actions) db.Connection(action);
        EXPECT_EQ(db.IsOpen(), c.openAfter) << ::testing::PrintToString(c.actions);
        const auto errors = LoggedErrors(p.log);
        EXPECT_EQ(errors.size(), c.badCloses) << ::testing::PrintToString(c.actions);
        for (const auto& e : errors) {
            EXPECT_EQ(e.number, err::DatabaseClosed);
            EXPECT_TRUE(e.loggedUnder("Connection")) << e.text;
        }
    }
}

TEST_F(CatalogueDatabaseTest, SecondOpenKeepsTheConnectionItHas) {
    openWith(OneRow);
    // A new opening would now fail: the file is gone from the program folder.
    fs::rename(file(), folder / "elsewhere.mdb");
    db.Connection(1);

    EXPECT_THAT(LoggedErrors(log), IsEmpty());
    EXPECT_THAT(shownNames(), ElementsAre("Becken"));
}

// --- A catalogue that cannot be opened ----------------------------------------------------

// A missing catalogue is not created empty; a broken one (text, or the header of a Jet file
// that an old installation leaves behind) is left for support staff, who read which file failed.
TEST(CatalogueConnection, UnusableFileFailsToOpenUnderConnectionNamingTheFile) {
    const std::optional<std::string> contents[] = {
        std::nullopt, std::string(4096, 'x') + "keine Datenbank",
        std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(2028, '\0')};
    for (const auto& content : contents) {
        test::ProgramFolder p;
        const fs::path file = p.program / "Bodypart.mdb";
        if (content) test::WriteBytes(file, *content);
        CatalogueDatabase db(p.program.path(), p.log);
        db.Connection(1);
        EXPECT_FALSE(db.IsOpen());
        const auto errors = LoggedErrors(p.log);
        ASSERT_THAT(errors, SizeIs(1));
        EXPECT_EQ(errors[0].number, err::Database);
        EXPECT_TRUE(errors[0].loggedUnder("Connection")) << errors[0].text;
        EXPECT_THAT(errors[0].text, HasSubstr("Bodypart.mdb"));
        EXPECT_EQ(fs::exists(file), content.has_value());
    }
}

TEST_F(CatalogueDatabaseTest, EveryStatementRefusesAClosedConnection) {
    MakeCatalogue(folder, OneRow);
    const std::vector<std::function<void()>> statements = {
        [&] { db.ShownBodyParts(); },
        [&] { db.ForEachRow([](const CatalogueRow&) {}); },
        [&] {
            db.SetShowFlags({{1, false}});
        },
    };
    for (const auto& statement : statements) {
        try {
            statement();
            ADD_FAILURE() << "a statement ran on a closed connection";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), err::DatabaseClosed);
        }
    }
    EXPECT_THAT(flags(), ElementsAre("1"));
}

// --- The three statements ------------------------------------------------------------

TEST_F(CatalogueDatabaseTest, StartUpQueryAndFullReadGiveTheirRowsInTheirOrder) {
    // Stored neither by ID nor by name; one row hidden, Null codes in three of them.
    openWith(
        "INSERT INTO tblBodypart VALUES (3, 'Abdomen', 1, NULL, 'F40');"
        "INSERT INTO tblBodypart VALUES (1, 'Knie links', 1, 'KN-L', 'F72L');"
        "INSERT INTO tblBodypart VALUES (5, 'Schädel', 1, NULL, NULL);"
        "INSERT INTO tblBodypart VALUES (4, 'Aorta', 0, 'AO', 'F39');"
        "INSERT INTO tblBodypart VALUES (2, 'Becken', 1, 'BE', NULL);");

    // Shown rows only, by name, Null read as empty.
    EXPECT_THAT(
        db.ShownBodyParts(),
        ElementsAre(BodyPartEntry{"Abdomen", "", "F40"}, BodyPartEntry{"Becken", "BE", ""},
                    BodyPartEntry{"Knie links", "KN-L", "F72L"}, BodyPartEntry{"Schädel", "", ""}));
    // Every row with flag and ID, in the table's own order (by ID here), not by name.
    EXPECT_THAT(allRows(), ElementsAre(CatalogueRow{1, "Knie links", true, "KN-L", "F72L"},
                                       CatalogueRow{2, "Becken", true, "BE", ""},
                                       CatalogueRow{3, "Abdomen", true, "", "F40"},
                                       CatalogueRow{4, "Aorta", false, "AO", "F39"},
                                       CatalogueRow{5, "Schädel", true, "", ""}));
}

// The start-up query sorts names as a German reader expects, whatever order they are stored in.
struct OrderCase {
    const char* name;
    std::vector<std::string> stored;
    std::vector<std::string> expected;
    friend void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }
};

class GermanNameOrder : public CatalogueDatabaseTest,
                        public ::testing::WithParamInterface<OrderCase> {};

TEST_P(GermanNameOrder, StartUpQuerySortsAsAGermanReaderExpects) {
    std::string sql;
    int id = 1;
    for (const std::string& name : GetParam().stored) {
        sql += "INSERT INTO tblBodypart VALUES (" + std::to_string(id++) + ", '" + name +
               "', 1, '', '');";
    }
    openWith(sql);
    EXPECT_EQ(shownNames(), GetParam().expected);
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
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// --- The file stays usable without our collation --------------------------------------

TEST_F(CatalogueDatabaseTest, FileOpensAndSortsOnAPlainConnection) {
    openWith(
        "INSERT INTO tblBodypart VALUES (1, 'knie', 1, 'K', 'F');"
        "INSERT INTO tblBodypart VALUES (2, 'Becken', 1, 'B', 'F')");
    db.SetShowFlags({{1, true}, {2, true}});
    db.Connection(0);

    EXPECT_THAT(PlainQuery(file(), "PRAGMA integrity_check"), ElementsAre("ok"));
    EXPECT_THAT(PlainQuery(file(),
                           "SELECT f_Name FROM tblBodypart WHERE f_Show = True "
                           "ORDER BY f_Name"),
                ElementsAre("Becken", "knie"));
}

}  // namespace
}  // namespace morvik
