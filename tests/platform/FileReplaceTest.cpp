#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
namespace fs = std::filesystem;

// A read-only shared file is refused and left as it was (Windows: the read-only attribute).
TEST(ReplaceFile, RefusesAReadOnlyFile) {
    TempFolder dir;
    WriteBytes(dir / "Settings.ini", "alt");
    fs::permissions(dir / "Settings.ini",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    try {
        ReplaceFile(dir / "Settings.ini", "neu");
        ADD_FAILURE() << "read-only file replaced";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), err::PermissionDenied);
    }
    EXPECT_EQ(ReadBytes(dir / "Settings.ini"), "alt");
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"Settings.ini"});
}

#ifndef _WIN32
unsigned modeOf(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_mode & 07777;
}

// A shared file keeps what it is: the link stays a link and the file behind it gets the
// content, and the mode stays.
TEST(ReplaceFile, KeepsLinkAndMode) {
    TempFolder dir;
    fs::create_directory(dir / "shared");
    WriteBytes(dir / "shared" / "AccNum.dat", "0000001");
    fs::create_symlink(dir / "shared" / "AccNum.dat", dir / "AccNum.dat");
    ::chmod((dir / "shared" / "AccNum.dat").c_str(), 0666);
    ReplaceFile(dir / "AccNum.dat", "0000002");
    EXPECT_TRUE(fs::is_symlink(dir / "AccNum.dat"));
    EXPECT_EQ(ReadBytes(dir / "shared" / "AccNum.dat"), "0000002");
    EXPECT_EQ(modeOf(dir / "shared" / "AccNum.dat"), 0666u);
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"AccNum.dat"});
}

// A program folder that takes no new file while its files are writable: the file is rewritten
// in place. Run as an unprivileged user, since root may write anywhere.
TEST(ReplaceFile, FolderWithoutWriteRightsRewritesInPlace) {
    TempFolder dir;
    fs::create_directory(dir / "program");
    WriteBytes(dir / "program" / "AccNum.dat", "0000041XYZ");
    ::chmod(dir.path().c_str(), 0755);
    ::chmod((dir / "program").c_str(), 0555);
    ::chmod((dir / "program" / "AccNum.dat").c_str(), 0666);
    if (::geteuid() == 0) ::chown((dir / "program").c_str(), 0, 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        if (::access((dir / "program").c_str(), W_OK) == 0) ::_exit(4);  // cannot test here
        try {
            ReplaceFile(dir / "program" / "AccNum.dat", "0000042");
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::chmod((dir / "program").c_str(), 0755);
    if (WEXITSTATUS(status) == 4) GTEST_SKIP() << "the folder stays writable for this user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(dir / "program" / "AccNum.dat"), "0000042");
}
#endif

TEST(RenameNoReplace, NeverReplacesAndSaysWhy) {
    TempFolder dir;
    WriteBytes(dir / "a.gdt", "a");
    WriteBytes(dir / "b.gdt", "b");
    EXPECT_EQ(RenameNoReplace(dir / "a.gdt", dir / "b.gdt"), RenameOutcome::TargetExists);
    EXPECT_EQ(ReadBytes(dir / "b.gdt"), "b");
    EXPECT_EQ(RenameNoReplace(dir / "a.gdt", dir / "c.gdt"), RenameOutcome::Done);
    EXPECT_EQ(RenameNoReplace(dir / "a.gdt", dir / "d.gdt"), RenameOutcome::SourceMissing);
    EXPECT_EQ(FileNames(dir.path()), (std::vector<std::string>{"b.gdt", "c.gdt"}));
}

}  // namespace
}  // namespace morvik
