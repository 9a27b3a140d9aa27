#include "catalogue/CatalogueDatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "support/CatalogueFile.h"
#include "support/FixedClock.h"
#include "support/TempFolder.h"

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

class CatalogueDatabaseTest : public ::testing::Test {
  protected:
    fs::path file() const { return folder.path() / "Bodypart.mdb"; }
    // Makes the catalogue from `sql` and opens the connection to it.
    void openWith(const std::string& sql) {
        MakeCatalogue(folder.path(), sql);
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

    test::TempFolder folder;
    test::FixedClock clock;
    ErrorLog log{folder.path(), clock};
    CatalogueDatabase db{folder.path(), log};
};

const std::string OneRow = "INSERT INTO tblBodypart VALUES (1, 'Becken', 1, 'B', 'F')";

// --- Connection: the open/close rules and their log lines --------------------------------

struct ActionCase {
    const char* name;
    std::vector<int> actions;
    bool openAfter;
    int closedLogLines;  // lines "... - Connection" with err::DatabaseClosed
    friend void PrintTo(const ActionCase& c, std::ostream* os) { *os << c.name; }
};

class ConnectionActions : public CatalogueDatabaseTest,
                          public ::testing::WithParamInterface<ActionCase> {};

TEST_P(ConnectionActions, LeaveTheConnectionInTheExpectedStateAndLogOnlyBadCloses) {
    MakeCatalogue(folder.path(), OneRow);
    for (int action : GetParam().actions) db.Connection(action);

    EXPECT_EQ(db.IsOpen(), GetParam().openAfter);
    const auto errors = LoggedErrors(log);
    ASSERT_THAT(errors, SizeIs(GetParam().closedLogLines));
    for (const auto& e : errors) {
        EXPECT_EQ(e.number, err::DatabaseClosed);
        EXPECT_TRUE(e.loggedUnder("Connection")) << e.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, ConnectionActions,
                         ::testing::Values(ActionCase{"OpenOnce", {1}, true, 0},
                                           ActionCase{"OpenTwice", {1, 1}, true, 0},
                                           ActionCase{"OpenTwiceCloseOnce", {1, 1, 0}, false, 0},
                                           ActionCase{"CloseWhileClosed", {0}, false, 1},
                                           ActionCase{"CloseTwice", {1, 0, 0}, false, 1},
                                           ActionCase{"ReopenAfterClose", {1, 0, 1}, true, 0},
                                           ActionCase{
                                               "OtherValuesWhileClosed", {2, -1, 7}, false, 0},
                                           ActionCase{"OtherValuesWhileOpen", {1, 2, -1}, true, 0}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST_F(CatalogueDatabaseTest, SecondOpenKeepsTheConnectionItHas) {
    openWith(OneRow);
    // A new opening would now fail: the file is gone from the program folder.
    fs::rename(file(), folder / "elsewhere.mdb");
    db.Connection(1);

    EXPECT_THAT(LoggedErrors(log), IsEmpty());
    EXPECT_THAT(shownNames(), ElementsAre("Becken"));
}

// --- A catalogue that cannot be opened ----------------------------------------------------

struct UnusableFile {
    const char* name;
    void (*make)(const fs::path& file);  // nullptr: there is no file
    friend void PrintTo(const UnusableFile& c, std::ostream* os) { *os << c.name; }
};

class UnusableCatalogue : public CatalogueDatabaseTest,
                          public ::testing::WithParamInterface<UnusableFile> {};

TEST_P(UnusableCatalogue, FailsToOpenUnderConnectionNamingTheFile) {
    if (GetParam().make) GetParam().make(file());
    db.Connection(1);

    EXPECT_FALSE(db.IsOpen());
    const auto errors = LoggedErrors(log);
    ASSERT_THAT(errors, SizeIs(1));
    EXPECT_EQ(errors[0].number, err::Database);
    EXPECT_TRUE(errors[0].loggedUnder("Connection")) << errors[0].text;
    EXPECT_THAT(errors[0].text, HasSubstr("Bodypart.mdb"));  // support staff read which file
    // A missing catalogue is not created empty; a broken one is left for support staff.
    EXPECT_EQ(fs::exists(file()), GetParam().make != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnusableCatalogue,
    ::testing::Values(UnusableFile{"Missing", nullptr},
                      UnusableFile{"TextFile",
                                   [](const fs::path& f) {
                                       test::WriteBytes(f,
                                                        std::string(4096, 'x') + "keine Datenbank");
                                   }},
                      UnusableFile{"AccessFile",
                                   [](const fs::path& f) {
                                       // The header of a Jet file: what an old installation leaves
                                       // behind.
                                       test::WriteBytes(
                                           f, std::string("\0\1\0\0Standard Jet DB\0", 20) +
                                                  std::string(2028, '\0'));
                                   }}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST_F(CatalogueDatabaseTest, EveryStatementRefusesAClosedConnection) {
    MakeCatalogue(folder.path(), OneRow);
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

TEST_F(CatalogueDatabaseTest, FullReadStopsAtANullShowFlagAfterTheRowsBeforeIt) {
    openWith(
        "INSERT INTO tblBodypart VALUES (1, 'Abdomen', 1, 'AB', 'F40');"
        "INSERT INTO tblBodypart VALUES (2, 'Becken', 0, 'BE', 'F41');"
        "INSERT INTO tblBodypart VALUES (3, 'Hand', NULL, 'HA', 'F59');"
        "INSERT INTO tblBodypart VALUES (4, 'Knie', 1, 'KN', 'F72')");
    std::vector<std::int64_t> delivered;

    try {
        db.ForEachRow([&](const CatalogueRow& row) { delivered.push_back(row.id); });
        FAIL() << "a Null show flag was read as a truth value";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::InvalidUseOfNull);
        EXPECT_THAT(e.what(), HasSubstr("ID 3"));
    }
    EXPECT_THAT(delivered, ElementsAre(1, 2));
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

struct ShowFlagCase {
    const char* name;
    bool checked;
    const char* stored;
    friend void PrintTo(const ShowFlagCase& c, std::ostream* os) { *os << c.name; }
};

class ShowFlagUpdate : public CatalogueDatabaseTest,
                       public ::testing::WithParamInterface<ShowFlagCase> {};

TEST_P(ShowFlagUpdate, WritesTheRowsFlagAndNoOther) {
    // Row 17 starts in the opposite state, so the update has something to change.
    const std::string before = GetParam().checked ? "0" : "1";
    openWith(
        "INSERT INTO tblBodypart VALUES (16, 'Hand links a.p.', 1, 'H', 'F');"
        "INSERT INTO tblBodypart VALUES (17, 'Knie links', " +
        before +
        ", 'K', 'F');"
        "INSERT INTO tblBodypart VALUES (18, 'Knie rechts', 1, 'K', 'F');");
    db.SetShowFlags({{17, GetParam().checked}});
    db.Connection(0);

    EXPECT_THAT(PlainQuery(file(), "SELECT ID, f_Show FROM tblBodypart ORDER BY ID"),
                ElementsAre("16|1", std::string("17|") + GetParam().stored, "18|1"));
    // What the next start-up sees.
    db.Connection(1);
    const auto shown = shownNames();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Knie links"), GetParam().checked ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ShowFlagUpdate,
                         ::testing::Values(ShowFlagCase{"Checked", true, "1"},
                                           ShowFlagCase{"Unchecked", false, "0"}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST_F(CatalogueDatabaseTest, FailedUpdateLeavesEveryFlagAsItWas) {
    openWith(
        "INSERT INTO tblBodypart VALUES (1, 'Abdomen', 1, 'AB', 'F40');"
        "INSERT INTO tblBodypart VALUES (2, 'Becken', 1, 'BE', 'F41');"
        "INSERT INTO tblBodypart VALUES (3, 'Hand', 1, 'HA', 'F59');"
        // Fault injection: the third update is refused by the database.
        "CREATE TRIGGER refuse BEFORE UPDATE ON tblBodypart WHEN NEW.ID = 3 "
        "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END");

    try {
        db.SetShowFlags({{1, false}, {2, false}, {3, false}});
        FAIL() << "the refused update went unnoticed";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::Database);
        EXPECT_THAT(e.what(), HasSubstr("gesperrt"));
    }
    EXPECT_THAT(flags(), ElementsAre("1", "1", "1"));
    // The connection is still usable for a second try.
    db.SetShowFlags({{1, false}, {2, false}});
    EXPECT_THAT(flags(), ElementsAre("0", "0", "1"));
}

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
