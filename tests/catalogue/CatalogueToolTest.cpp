#include "catalogue/CatalogueTool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/CatalogueCsv.h"
#include "catalogue/CatalogueDatabase.h"
#include "support/CatalogueFile.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

namespace fs = std::filesystem;

using test::PlainQuery;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class CatalogueToolTest : public ::testing::Test {
  protected:
    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunCatalogueTool(args, out, err);
    }
    std::string programFolder() const { return folder.path().string(); }
    fs::path database() const { return folder / "Bodypart.mdb"; }
    fs::path csv(std::string_view name, std::string_view text) {
        const fs::path file = files / name;
        test::WriteBytes(file, text);
        return file;
    }

    test::TempFolder folder;
    test::TempFolder files;
    std::ostringstream out;
    std::ostringstream err;
};

const std::string Catalogue =
    "ID,f_Name,f_Show,f_Konica,f_Factory\n"
    "3,Knie links,1,KNIE-L,K7201L\n"
    "1,Becken,1,BECK,K4101M\n"
    "2,Abdomen,0,ABD,K4001M\n"
    "4,Ösophagus,1,OES,K4501M\n";

TEST_F(CatalogueToolTest, ImportCreatesACatalogueTheProgramReadsAndTheNextImportReplacesIt) {
    ASSERT_EQ(run({programFolder(), "import", csv("k.csv", Catalogue).string()}), 0) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("4 Körperteile"));
    {
        test::FixedClock clock;
        ErrorLog log(folder.path(), clock);
        CatalogueDatabase db(folder.path(), log);
        db.Connection(1);
        EXPECT_THAT(db.ShownBodyParts(),
                    ElementsAre(BodyPartEntry{"Becken", "BECK", "K4101M"},
                                BodyPartEntry{"Knie links", "KNIE-L", "K7201L"},
                                BodyPartEntry{"Ösophagus", "OES", "K4501M"}));
        db.Connection(0);
        EXPECT_FALSE(fs::exists(log.file()));
    }

    const std::string other =
        "ID,f_Name,f_Show,f_Konica,f_Factory\n"
        "7,Hand links a.p.,Nein,HAND-L-AP,K5901L\n";
    ASSERT_EQ(run({programFolder(), "import", csv("neu.csv", other).string()}), 0) << err.str();
    EXPECT_THAT(PlainQuery(database(), "SELECT * FROM tblBodypart"),
                ElementsAre("7|Hand links a.p.|0|HAND-L-AP|K5901L"));
}

TEST_F(CatalogueToolTest, ListShowsEveryRowWithItsFlag) {
    ASSERT_EQ(run({programFolder(), "import", csv("k.csv", Catalogue).string()}), 0);
    ASSERT_EQ(run({programFolder(), "list"}), 0) << err.str();

    EXPECT_EQ(out.str(),
              "ID  f_Name      f_Show  f_Konica  f_Factory\n"
              "1   Becken      Ja      BECK      K4101M\n"
              "2   Abdomen     Nein    ABD       K4001M\n"
              "3   Knie links  Ja      KNIE-L    K7201L\n"
              "4   Ösophagus   Ja      OES       K4501M\n");
}

TEST_F(CatalogueToolTest, ExportWritesUtf8CsvThatImportsBackToTheSameRows) {
    ASSERT_EQ(run({programFolder(), "import", csv("k.csv", Catalogue).string()}), 0);
    const auto before = PlainQuery(database(), "SELECT * FROM tblBodypart");
    const fs::path exported = files / "export.csv";
    ASSERT_EQ(run({programFolder(), "export", exported.string()}), 0) << err.str();
    const std::string text = test::ReadBytes(exported);
    EXPECT_TRUE(
        text.starts_with("\xEF\xBB\xBF"
                         "ID,f_Name,f_Show,f_Konica,f_Factory\r\n"));
    EXPECT_THAT(text, HasSubstr("4,Ösophagus,1,OES,K4501M\r\n"));

    ASSERT_EQ(run({programFolder(), "import", exported.string()}), 0) << err.str();
    EXPECT_EQ(PlainQuery(database(), "SELECT * FROM tblBodypart"), before);
}

// A rejected file leaves the catalogue byte for byte as it was, or absent if there was none.
TEST_F(CatalogueToolTest, RejectedImportLeavesTheCatalogueUntouched) {
    ASSERT_EQ(run({programFolder(), "import", csv("k.csv", Catalogue).string()}), 0);
    const std::string before = test::ReadBytes(database());
    const fs::path bad = csv("bad.csv", "ID,f_Name,f_Show,f_Konica,f_Factory\n1,,1,B,F\n");

    EXPECT_EQ(run({programFolder(), "import", bad.string()}), 1);
    EXPECT_THAT(err.str(), HasSubstr("Zeile 2"));
    EXPECT_THAT(err.str(), HasSubstr("unverändert"));
    EXPECT_EQ(test::ReadBytes(database()), before);

    fs::remove(database());
    EXPECT_EQ(run({programFolder(), "import", bad.string()}), 1);
    EXPECT_FALSE(fs::exists(database()));
}

TEST_F(CatalogueToolTest, ImportRefusedByTheDatabaseChangesNothing) {
    test::MakeCatalogue(folder.path(),
                        "INSERT INTO tblBodypart VALUES (1, 'Becken', 1, 'B', 'F');"
                        "CREATE TRIGGER refuse BEFORE INSERT ON tblBodypart WHEN NEW.ID = 2 "
                        "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END");

    EXPECT_EQ(run({programFolder(), "import",
                   csv("k.csv",
                       "ID,f_Name,f_Show,f_Konica,f_Factory\n"
                       "1,Abdomen,1,A,F\n2,Hand,1,H,F\n")
                       .string()}),
              1);

    EXPECT_THAT(err.str(), HasSubstr("gesperrt"));
    EXPECT_THAT(PlainQuery(database(), "SELECT * FROM tblBodypart"), ElementsAre("1|Becken|1|B|F"));
}

TEST_F(CatalogueToolTest, FailuresSayWhatIsWrong) {
    const std::string missingFolder = (folder / "fehlt").string();
    const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
        {{programFolder(), "list"}, "Bodypart.mdb"},
        {{programFolder(), "export", (files / "x.csv").string()}, "Bodypart.mdb"},
        {{programFolder(), "import", (files / "fehlt.csv").string()}, "fehlt.csv"},
        {{missingFolder, "list"}, "Programmordner"},
    };
    for (const auto& [args, says] : cases) {
        EXPECT_EQ(run(args), 1) << args[1];
        EXPECT_THAT(err.str(), HasSubstr(says)) << args[1];
        EXPECT_THAT(out.str(), IsEmpty());
    }
    EXPECT_FALSE(fs::exists(database()));
    EXPECT_FALSE(fs::exists(files / "x.csv"));
}

TEST_F(CatalogueToolTest, WrongCallsShowHowToCallIt) {
    const std::vector<std::vector<std::string>> calls = {
        {},
        {programFolder()},
        {programFolder(), "show"},
        {programFolder(), "import"},
        {programFolder(), "list", "extra"},
        {programFolder(), "export", "a.csv", "b.csv"},
    };
    for (const auto& args : calls) {
        EXPECT_EQ(run(args), 2);
        EXPECT_THAT(err.str(), HasSubstr("Aufruf: morvik-catalogue PROGRAMMORDNER list"));
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_THAT(out.str(), HasSubstr("import DATEI.csv"));
}

}  // namespace
}  // namespace morvik
