#include <gtest/gtest.h>

#include "app/OptionsModel.h"
#include "diag/ErrorLog.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// A read-only Settings.ini is not replaced: the save fails with its message, and since nothing
// was written, "Abbrechen" then leaves memory and the buttons exactly as before the dialog.
TEST(OptionsSave, ReadOnlyFileIsNotReplacedAndNothingIsApplied) {
    TempFolder program;
    const std::string text = "[GDTService]\r\nModalitaet2=CT\r\nGDTZiel=/alt\r\n";
    WriteBytes(program / "Settings.ini", text);
    std::filesystem::permissions(program / "Settings.ini", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read);
    test::FixedClock clock;
    ErrorLog log(program.path(), clock);
    test::RecordingOperator op;
    test::FakePicker picker;
    AppSettings settings = LoadAppSettings(program.path(), log);
    const AppSettings before = settings;
    std::vector<std::pair<int, std::string>> captions;
    {
        OptionsModel model(settings, program.path(), log, op, picker,
                           [&](int i, const std::string& c) { captions.emplace_back(i, c); });
        model.Load();
        model.SetModalityName(2, "Sono");
        model.SetText(&AppSettings::targetFolder, "/neu");
        EXPECT_FALSE(model.Confirm());
    }  // "Abbrechen"
    EXPECT_EQ(op.Texts(), std::vector<std::string>{kOptionsNotSaved});
    EXPECT_EQ(ReadBytes(program / "Settings.ini"), text);
    EXPECT_EQ(settings, before);
    EXPECT_TRUE(captions.empty());
}

}  // namespace
}  // namespace morvik
