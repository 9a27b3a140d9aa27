#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

#include "base/AppError.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "platform/FileCalls.h"
#include "platform/FileSystem.h"
#include "support/ProgramFolder.h"

namespace morvik {
namespace {

using test::CrLfLines;
using test::ReadBytes;

class ErrorLogTest : public ::testing::Test, protected test::ProgramFolder {};

// The Logs folder and the file are made at the first error, and again after a deletion; the
// line keeps its form for an empty description, a negative number and umlauts, and a line
// break in a description cannot start a line of its own.
TEST_F(ErrorLogTest, EachErrorAppendsOneLineInItsFixedForm) {
    ASSERT_FALSE(std::filesystem::exists(program / "Logs"));
    log.LogError("A", 1, "eins");
    std::filesystem::remove(log.File());
    log.LogError("ReadGDT", 53, "Datei nicht gefunden");
    log.LogError("Connection", -2147467259, "");
    log.LogError("Form_Load", 13, "Typen unverträglich\r\nzweite");
    EXPECT_EQ(ReadBytes(program / "Logs" / "ErrorLog.log"),
              "05.12.2026 - 14:03:07 # 53 - Datei nicht gefunden - ReadGDT\r\n"
              "05.12.2026 - 14:03:07 # -2147467259 -  - Connection\r\n"
              "05.12.2026 - 14:03:07 # 13 - Typen unvertr\xE4glich  zweite - Form_Load\r\n");
}

// A folder the system cannot flush at all (some shares) stops nothing, but IT must learn that
// power cuts may undo what was done there: once a run, under the procedure that met it.
TEST_F(ErrorLogTest, AFolderTheSystemCannotFlushIsLoggedOnceARun) {
    struct CannotFlushFolders : FileCallHook {
        int Before(FileCall call, const std::filesystem::path&,
                   const std::filesystem::path&) override {
            return call == FileCall::FlushFolder ? EINVAL : 0;
        }
        void After(FileCall, const std::filesystem::path&, const std::filesystem::path&) override {}
    } system;
    SetFileCallHook(&system);
    const bool flushed = trap(log, "cmdOK_Click", [&] {
        FlushFolder(program / "Ziel");
        FlushFolder(program.path());
    });
    trap(log, "Form_Load", [&] { FlushFolder(program.path()); });
    SetFileCallHook(nullptr);
    EXPECT_TRUE(flushed);
    const std::vector<std::string> lines = CrLfLines(log.File());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("# 1013 - Der Ordner " + Utf8Path(program / "Ziel")), std::string::npos)
        << lines[0];
    EXPECT_TRUE(lines[0].ends_with(" - cmdOK_Click")) << lines[0];
}

TEST_F(ErrorLogTest, UnwritableLogNeitherThrowsNorStopsTheProgram) {
    // A plain file where the Logs folder should be: the log cannot be created.
    test::WriteBytes(program / "Logs", "kein Ordner");
    testing::internal::CaptureStderr();
    log.LogError("cmdOK_Click", 75, "Pfad-/Dateizugriffsfehler");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("# 75 - Pfad-/Dateizugriffsfehler - cmdOK_Click"), std::string::npos);
}

// The line support staff read, byte for byte, under a name from the table.
TEST_F(ErrorLogTest, TrapLogsTheFailureUnderItsNameAndStopsTheBody) {
    bool ranAfterThrow = false;
    bool ok = trap(log, trapname::CatalogueChoiceOk, [&] {
        throw AppError(1020, "Datenbankfehler");
        ranAfterThrow = true;
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(ranAfterThrow);
    EXPECT_TRUE(trap(log, "A", [] {}));  // a body that succeeds logs nothing
    EXPECT_EQ(
        ReadBytes(log.File()),
        "05.12.2026 - 14:03:07 # 1020 - Datenbankfehler - cmdOK_Click - frmSelectBoyparts\r\n");
}

TEST_F(ErrorLogTest, TrapGivesForeignExceptionsAMeaningfulNumber) {
    trap(log, "A", [] {
        throw std::filesystem::filesystem_error(
            "x", "/nirgends", std::make_error_code(std::errc::no_such_file_or_directory));
    });
    trap(log, "B", [] { throw std::out_of_range("Zeile 0"); });
    trap(log, "C", [] { throw 42; });
    auto lines = CrLfLines(log.File());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("# 53 - "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("# 9 - Zeile 0 - B"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("# 51 - "), std::string::npos) << lines[2];
}

}  // namespace
}  // namespace morvik
