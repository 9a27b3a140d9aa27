#include <gtest/gtest.h>

#include <stdexcept>

#include "base/AppError.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "support/FixedClock.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::CrLfLines;
using test::FixedClock;
using test::ReadBytes;
using test::TempFolder;

class ErrorLogTest : public ::testing::Test {
  protected:
    TempFolder program;
    FixedClock clock;
    ErrorLog log{program.path(), clock};
};

TEST_F(ErrorLogTest, FirstErrorCreatesFolderAndFileWithOneLine) {
    ASSERT_FALSE(std::filesystem::exists(program / "Logs"));
    log.LogError("ReadGDT", 53, "Datei nicht gefunden");
    EXPECT_EQ(ReadBytes(program / "Logs" / "ErrorLog.log"),
              "05.12.2026 - 14:03:07 # 53 - Datei nicht gefunden - ReadGDT\r\n");
}

TEST_F(ErrorLogTest, DeletedFileIsCreatedAgainAndEarlierLinesAreKept) {
    log.LogError("A", 1, "eins");
    std::filesystem::remove(log.file());
    log.LogError("B", 2, "zwei");
    log.LogError("C", 3, "drei");
    EXPECT_EQ(CrLfLines(log.file()),
              (std::vector<std::string>{"05.12.2026 - 14:03:07 # 2 - zwei - B",
                                        "05.12.2026 - 14:03:07 # 3 - drei - C"}));
}

TEST_F(ErrorLogTest, EmptyDescriptionNegativeNumberAndUmlautsKeepTheirForm) {
    log.LogError("Connection", -2147467259, "");
    log.LogError("Form_Load", 13, "Typen unverträglich");
    std::string bytes = ReadBytes(log.file());
    EXPECT_EQ(bytes,
              "05.12.2026 - 14:03:07 # -2147467259 -  - Connection\r\n"
              "05.12.2026 - 14:03:07 # 13 - Typen unvertr\xE4glich - Form_Load\r\n");
}

TEST_F(ErrorLogTest, LineBreaksInADescriptionStayOnOneLine) {
    log.LogError("X", 5, "erste\r\nzweite");
    EXPECT_EQ(CrLfLines(log.file()).size(), 1u);
}

TEST_F(ErrorLogTest, UnwritableLogNeitherThrowsNorStopsTheProgram) {
    // A plain file where the Logs folder should be: the log cannot be created.
    test::WriteBytes(program / "Logs", "kein Ordner");
    testing::internal::CaptureStderr();
    log.LogError("cmdOK_Click", 75, "Pfad-/Dateizugriffsfehler");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("# 75 - Pfad-/Dateizugriffsfehler - cmdOK_Click"), std::string::npos);
}

TEST_F(ErrorLogTest, TrapLogsTheFailureUnderItsNameAndStopsTheBody) {
    bool ranAfterThrow = false;
    bool ok = trap(log, "cmdOK_Click - frmSelectBoyparts", [&] {
        throw AppError(1020, "Datenbankfehler");
        ranAfterThrow = true;
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(ranAfterThrow);
    EXPECT_EQ(
        CrLfLines(log.file()),
        (std::vector<std::string>{
            "05.12.2026 - 14:03:07 # 1020 - Datenbankfehler - cmdOK_Click - frmSelectBoyparts"}));
}

TEST_F(ErrorLogTest, TrapGivesForeignExceptionsAMeaningfulNumber) {
    trap(log, "A", [] {
        throw std::filesystem::filesystem_error(
            "x", "/nirgends", std::make_error_code(std::errc::no_such_file_or_directory));
    });
    trap(log, "B", [] { throw std::out_of_range("Zeile 0"); });
    trap(log, "C", [] { throw 42; });
    auto lines = CrLfLines(log.file());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("# 53 - "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("# 9 - Zeile 0 - B"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("# 51 - "), std::string::npos) << lines[2];
}

TEST_F(ErrorLogTest, TrapThatSucceedsLogsNothing) {
    int calls = 0;
    EXPECT_TRUE(trap(log, "A", [&] { ++calls; }));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(std::filesystem::exists(log.file()));
}

}  // namespace
}  // namespace morvik
