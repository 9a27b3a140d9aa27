#pragma once

// The procedure names the error log writes after " - ", one per trap. Support staff read the log
// by these names, so each text stays byte for byte as it is, spelling slips included
// ("frmSelectBoyparts"); a name may serve two procedures. Every trap and every direct LogError
// call takes its name from here.
namespace morvik::trapname {

// Start-up, before the main window is shown.
inline constexpr char StartUp[] = "Sub Main";

// The main window: loading (settings, drives, recovery, the first request), closing, its menu.
inline constexpr char MainWindowLoad[] = "Form_Load";
inline constexpr char MainWindowUnload[] = "Form_Unload";
inline constexpr char QuitMenu[] = "mnu_Beenden_Click";
inline constexpr char OptionsMenu[] = "mnu_Options_Click";
// The source folder watched for a request while the window is open.
inline constexpr char SourceFolderPoll[] = "tmrQuellordner_Timer";

// Building the order: the search field, moving body parts between the lists, confirming.
inline constexpr char SearchChange[] = "txtSearch_Change";
inline constexpr char AddBodyPart[] = "lvBodyparts_DblClick";
inline constexpr char RemoveBodyPart[] = "lvAddBodyparts_DblClick";
inline constexpr char ConfirmOrder[] = "cmdOK_Click";

// The request and the order files.
inline constexpr char ReadRequest[] = "ReadGDT";
inline constexpr char WriteBodyPartOrder[] = "WriteGDT";
inline constexpr char WriteScanOrder[] = "WriteGDTScan";
inline constexpr char WriteWorklistItem[] = "WriteWorklist";
inline constexpr char ReadAccessionCounter[] = "ReadAccNum";
inline constexpr char WriteAccessionCounter[] = "WriteAccNumDat";

// Opening and closing the catalogue database.
inline constexpr char CatalogueConnection[] = "Connection";

// The options dialog shares its load and OK names with the main window.
inline constexpr char OptionsLoad[] = "Form_Load";
inline constexpr char OptionsOk[] = "cmdOK_Click";
inline constexpr char BrowseSourceFolder[] = "cmdQuell_Click";
inline constexpr char BrowseTargetFolder[] = "cmdZiel_Click";
inline constexpr char BrowseWorklistFolder[] = "cmdWorklist_Click";

// The dialog that chooses which body parts the catalogue list offers.
inline constexpr char CatalogueChoiceLoad[] = "Form_Load - frmSelectBodyparts";
inline constexpr char CatalogueChoiceOk[] = "cmdOK_Click - frmSelectBoyparts";

}  // namespace morvik::trapname
