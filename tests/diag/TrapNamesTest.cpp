#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "diag/TrapNames.h"

namespace morvik {
namespace {

// The names support staff look for in the log, as they have always been written, with the
// procedure each stands for. This list is the point of the test: a name that drifts from it
// (a typo fixed, a space lost) would make support search for a line that is no longer there.
const std::map<std::string_view, std::string_view> kNamesSupportKnows = {
    {"Sub Main", "start-up"},
    {"Form_Load", "loading the main window or the options dialog"},
    {"Form_Unload", "closing the main window"},
    {"mnu_Beenden_Click", "menu Beenden"},
    {"mnu_Options_Click", "menu Einstellungen"},
    {"cmdOK_Click", "Übernehmen in the main window, OK in the options dialog"},
    {"ReadGDT", "reading the request"},
    {"WriteGDT", "writing a body-part order"},
    {"WriteGDTScan", "writing a scan order"},
    {"CreateGDTLine", "building one GDT line"},
    {"ReadAccNum", "reading the accession counter"},
    {"WriteAccNumDat", "writing the accession counter"},
    {"Connection", "opening and closing the catalogue"},
    {"lvBodyparts_DblClick", "double-click in the catalogue list"},
    {"lvAddBodyparts_DblClick", "double-click in the added body parts"},
    {"txtSearch_Change", "search text changed"},
    {"cmdOK_Click - frmSelectBoyparts", "OK of the catalogue visibility dialog"},
    {"Form_Load - frmSelectBodyparts", "loading the catalogue visibility dialog"},
    {"cmdQuell_Click", "source folder button"},
    {"cmdZiel_Click", "target folder button"},
    // Ours: the source folder watched while the window is open.
    {"tmrQuellordner_Timer", "source folder poll"},
};

TEST(TrapNamesTest, EveryNameIsTheOneSupportKnowsForItsProcedure) {
    const std::vector<std::pair<std::string_view, std::string_view>> named = {
        {trapname::StartUp, "Sub Main"},
        {trapname::MainWindowLoad, "Form_Load"},
        {trapname::MainWindowUnload, "Form_Unload"},
        {trapname::QuitMenu, "mnu_Beenden_Click"},
        {trapname::OptionsMenu, "mnu_Options_Click"},
        {trapname::SourceFolderPoll, "tmrQuellordner_Timer"},
        {trapname::SearchChange, "txtSearch_Change"},
        {trapname::AddBodyPart, "lvBodyparts_DblClick"},
        {trapname::RemoveBodyPart, "lvAddBodyparts_DblClick"},
        {trapname::ConfirmOrder, "cmdOK_Click"},
        {trapname::ReadRequest, "ReadGDT"},
        {trapname::WriteBodyPartOrder, "WriteGDT"},
        {trapname::WriteScanOrder, "WriteGDTScan"},
        {trapname::ReadAccessionCounter, "ReadAccNum"},
        {trapname::WriteAccessionCounter, "WriteAccNumDat"},
        {trapname::CatalogueConnection, "Connection"},
        {trapname::BrowseSourceFolder, "cmdQuell_Click"},
        {trapname::BrowseTargetFolder, "cmdZiel_Click"},
        {trapname::CatalogueChoiceLoad, "Form_Load - frmSelectBodyparts"},
        {trapname::CatalogueChoiceOk, "cmdOK_Click - frmSelectBoyparts"},
    };
    for (const auto& [constant, expected] : named) EXPECT_EQ(constant, expected);
    // The options dialog shares the main window's names.
    EXPECT_EQ(std::string_view(trapname::OptionsLoad), "Form_Load");
    EXPECT_EQ(std::string_view(trapname::OptionsOk), "cmdOK_Click");

    // Nothing in the table that support would not find in its list.
    std::set<std::string_view> seen;
    for (std::string_view name : trapname::All) {
        EXPECT_TRUE(kNamesSupportKnows.count(name)) << "unknown log name \"" << name << '"';
        seen.insert(name);
    }
    // Every name written today is in the table (building a GDT line cannot fail here, so
    // "CreateGDTLine" is never written).
    EXPECT_EQ(seen.size(), kNamesSupportKnows.size() - 1);
}

}  // namespace
}  // namespace morvik
