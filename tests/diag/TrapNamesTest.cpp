#include <gtest/gtest.h>

#include <string_view>

#include "diag/TrapNames.h"

namespace morvik {
namespace {

// Each trap's name in the log, as support staff have always searched for it, with the
// procedure it stands for. This table is the point of the test: a name that drifts from it (a
// typo fixed, a blank lost, two procedures swapped) makes support look for a line that is no
// longer written.
TEST(TrapNamesTest, EveryTrapLogsTheNameSupportKnows) {
    struct Known {
        std::string_view constant;
        std::string_view name;
        const char* procedure;
    };
    const Known known[] = {
        {trapname::StartUp, "Sub Main", "start-up"},
        {trapname::MainWindowLoad, "Form_Load", "loading the main window"},
        {trapname::OptionsLoad, "Form_Load", "loading the options dialog"},
        {trapname::MainWindowUnload, "Form_Unload", "closing the main window"},
        {trapname::QuitMenu, "mnu_Beenden_Click", "menu Beenden"},
        {trapname::OptionsMenu, "mnu_Options_Click", "menu Einstellungen"},
        {trapname::ConfirmOrder, "cmdOK_Click", "Übernehmen in the main window"},
        {trapname::OptionsOk, "cmdOK_Click", "OK in the options dialog"},
        {trapname::ReadRequest, "ReadGDT", "reading the request"},
        {trapname::WriteBodyPartOrder, "WriteGDT", "writing a body-part order"},
        {trapname::WriteScanOrder, "WriteGDTScan", "writing a scan order"},
        {trapname::ReadAccessionCounter, "ReadAccNum", "reading the accession counter"},
        {trapname::WriteAccessionCounter, "WriteAccNumDat", "writing the accession counter"},
        {trapname::CatalogueConnection, "Connection", "opening and closing the catalogue"},
        {trapname::AddBodyPart, "lvBodyparts_DblClick", "double-click in the catalogue list"},
        {trapname::RemoveBodyPart, "lvAddBodyparts_DblClick", "double-click in the added list"},
        {trapname::SearchChange, "txtSearch_Change", "search text changed"},
        {trapname::CatalogueChoiceOk, "cmdOK_Click - frmSelectBoyparts",
         "OK of the catalogue visibility dialog"},
        {trapname::CatalogueChoiceLoad, "Form_Load - frmSelectBodyparts",
         "loading the catalogue visibility dialog"},
        {trapname::BrowseSourceFolder, "cmdQuell_Click", "source folder button"},
        {trapname::BrowseTargetFolder, "cmdZiel_Click", "target folder button"},
        // Ours: the source folder watched while no request is shown.
        {trapname::SourceFolderPoll, "tmrQuellordner_Timer", "source folder poll"},
        // Ours: a worklist item written beside each order file.
        {trapname::WriteWorklistItem, "WriteWorklist", "writing a worklist item"},
        {trapname::BrowseWorklistFolder, "cmdWorklist_Click", "worklist folder button"},
    };
    for (const Known& k : known) EXPECT_EQ(k.constant, k.name) << k.procedure;
}

}  // namespace
}  // namespace morvik
