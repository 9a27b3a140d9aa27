#include "catalogue/CatalogueTool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/JetTable.h"

#include <sstream>

#include "JetWriter.h"
#include "Version.h"
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
using ::testing::Not;

class CatalogueToolTest : public ::testing::Test {
  protected:
    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunCatalogueTool(args, in, out, err);
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
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
};

const std::string Catalogue =
    "ID,f_Name,f_Show,f_Konica,f_Factory\n"
    "3,Knie links,1,KNIE-L,K7201L\n"
    "1,Becken,1,BECK,K4101M\n"
    "2,Abdomen,0,ABD,K4001M\n"
    "4,Ösophagus,1,OES,K4501M\n";

// Import, list, export and import again: the program reads what was imported, and the
// exported file brings back the same rows.
TEST_F(CatalogueToolTest, ImportListExportRoundTrip) {
    ASSERT_EQ(run({programFolder(), "import", csv("k.csv", Catalogue).string()}), 0) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("4 Körperteile"));
    {
        test::FixedClock clock;
        ErrorLog log(folder.path(), clock);
        CatalogueDatabase db(folder.path(), log);
        db.Open();
        EXPECT_THAT(db.ShownBodyParts(),
                    ElementsAre(BodyPartEntry{"Becken", "BECK", "K4101M"},
                                BodyPartEntry{"Knie links", "KNIE-L", "K7201L"},
                                BodyPartEntry{"Ösophagus", "OES", "K4501M"}));
        db.Close();
        EXPECT_FALSE(fs::exists(log.File()));
    }
    ASSERT_EQ(run({programFolder(), "list"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "ID  f_Name      f_Show  f_Konica  f_Factory\n"
              "1   Becken      Ja      BECK      K4101M\n"
              "2   Abdomen     Nein    ABD       K4001M\n"
              "3   Knie links  Ja      KNIE-L    K7201L\n"
              "4   Ösophagus   Ja      OES       K4501M\n");

    const auto before = PlainQuery(database(), "SELECT * FROM tblBodypart");
    const fs::path exported = files / "export.csv";
    ASSERT_EQ(run({programFolder(), "export", exported.string()}), 0) << err.str();
    EXPECT_TRUE(
        test::ReadBytes(exported).starts_with("\xEF\xBB\xBF"
                                              "ID,f_Name,f_Show,f_Konica,f_Factory\r\n"));
    // The next import replaces the whole catalogue.
    csv("k.csv", "ID,f_Name,f_Show,f_Konica,f_Factory\n7,Hand,Nein,HA,K59\n");
    ASSERT_EQ(run({programFolder(), "import", (files / "k.csv").string()}), 0) << err.str();
    EXPECT_THAT(PlainQuery(database(), "SELECT * FROM tblBodypart"),
                ElementsAre("7|Hand|0|HA|K59"));
    ASSERT_EQ(run({programFolder(), "import", exported.string()}), 0) << err.str();
    EXPECT_EQ(PlainQuery(database(), "SELECT * FROM tblBodypart"), before);
}

TEST_F(CatalogueToolTest, DashIsStandardOutputForExportAndStandardInputForImport) {
    in.str(Catalogue);
    ASSERT_EQ(run({programFolder(), "import", "-"}), 0) << err.str();
    ASSERT_EQ(run({programFolder(), "export", "-"}), 0) << err.str();

    const std::string exported = out.str();
    EXPECT_TRUE(
        exported.starts_with("\xEF\xBB\xBF"
                             "ID,f_Name,f_Show,f_Konica,f_Factory\r\n"));
    EXPECT_TRUE(exported.ends_with("4,Ösophagus,1,OES,K4501M\r\n"));
    EXPECT_FALSE(fs::exists("-"));
}

TEST_F(CatalogueToolTest, FailedExportNamesTheFileGivenNotItsTemporary) {
    ASSERT_EQ(run({programFolder(), "import", csv("k.csv", Catalogue).string()}), 0);
    const std::string target = (files / "fehlt" / "k.csv").string();

    EXPECT_EQ(run({programFolder(), "export", target}), 1);
    EXPECT_THAT(err.str(), HasSubstr(target));
    EXPECT_THAT(err.str(), Not(HasSubstr(".tmp")));
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
    const fs::path file =
        csv("k.csv", "ID,f_Name,f_Show,f_Konica,f_Factory\n1,A,1,A,F\n2,H,1,H,F\n");
    EXPECT_EQ(run({programFolder(), "import", file.string()}), 1);
    EXPECT_THAT(err.str(), HasSubstr("gesperrt"));
    EXPECT_THAT(PlainQuery(database(), "SELECT * FROM tblBodypart"), ElementsAre("1|Becken|1|B|F"));
}

// Failures name what is wrong (exit 1); wrong calls show how to call it (exit 2).
TEST_F(CatalogueToolTest, FailuresSayWhatIsWrongAndWrongCallsShowTheUsage) {
    const std::vector<std::pair<std::vector<std::string>, const char*>> failures = {
        {{programFolder(), "export", (files / "x.csv").string()}, "Bodypart.mdb"},
        {{programFolder(), "import", (files / "fehlt.csv").string()}, "fehlt.csv"},
        {{(folder / "fehlt").string(), "list"}, "Programmordner"},
    };
    for (const auto& [args, says] : failures) {
        EXPECT_EQ(run(args), 1) << args[1];
        EXPECT_THAT(err.str(), HasSubstr(says)) << args[1];
        EXPECT_THAT(out.str(), IsEmpty());
    }
    EXPECT_FALSE(fs::exists(database()));
    EXPECT_FALSE(fs::exists(files / "x.csv"));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {programFolder(), "show"}, {programFolder(), "list", "extra"}}) {
        EXPECT_EQ(run(args), 2);
        EXPECT_THAT(err.str(), HasSubstr("Aufruf: morvik-catalogue PROGRAMMORDNER list"));
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_THAT(out.str(), HasSubstr("import DATEI.csv"));
    EXPECT_THAT(out.str(), HasSubstr("Windows-1252"));
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.str(), std::string("morvik-catalogue ") + kVersionText + "\n");
}

// A practice's Jet catalogue checked beforehand: list and export read it where it lies, import
// brings it into a catalogue; a Jet Bodypart.mdb is never written to.
TEST_F(CatalogueToolTest, ReadsAJetCatalogue) {
    if (!JetReadingAvailable()) GTEST_SKIP() << "built without mdbtools";
    test::WriteJetCatalogue(database(), test::JetVersion::Jet4Compressed,
                            {{1, "Schädel", true, "SCH", std::nullopt, {}},
                             {2, "Fuß", false, std::nullopt, "F-2", {}},
                             {3, "Hüfte beidseits", true, "HÜ", "F-3", {}}});
    const std::string jet = test::ReadBytes(database());
    ASSERT_EQ(run({programFolder(), "list"}), 0) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("2   Fuß              Nein    "));
    ASSERT_EQ(run({programFolder(), "export", "-"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "\xEF\xBB\xBFID,f_Name,f_Show,f_Konica,f_Factory\r\n1,Schädel,1,SCH,\r\n"
              "2,Fuß,0,,F-2\r\n3,Hüfte beidseits,1,HÜ,F-3\r\n");

    EXPECT_EQ(run({programFolder(), "import", "-"}), 1);
    EXPECT_THAT(err.str(), HasSubstr("Jet-Datenbank"));
    EXPECT_EQ(test::ReadBytes(database()), jet);

    test::TempFolder other;
    ASSERT_EQ(run({other.path().string(), "import", database().string()}), 0) << err.str();
    EXPECT_THAT(PlainQuery(other / "Bodypart.mdb", "SELECT * FROM tblBodypart ORDER BY ID"),
                ElementsAre("1|Schädel|1|SCH|", "2|Fuß|0||F-2", "3|Hüfte beidseits|1|HÜ|F-3"));
}

}  // namespace
}  // namespace morvik
