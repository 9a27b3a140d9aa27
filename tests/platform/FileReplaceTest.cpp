#include <gtest/gtest.h>
#ifdef _WIN32
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>
#undef ReplaceFile
#else
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

#ifdef _WIN32
// The access rights of a file as SDDL ("D:P(A;;FA;;;BA)..."); empty when they cannot be read.
std::wstring rightsOf(const fs::path& file) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return L"";
    }
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    std::wstring rights = text ? text : L"";
    LocalFree(text);
    LocalFree(descriptor);
    return rights;
}

// What was granted on a shared file itself (the setup program lets Users change Settings.ini
// and AccNum.dat) holds after a rewrite: a new file would have only its folder's rights, and the
// next operator could no longer save.
TEST(ReplaceFile, KeepsTheFilesOwnAccessRights) {
    TempFolder dir;
    WriteBytes(dir / "Settings.ini", "alt");
    PSECURITY_DESCRIPTOR granted = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1301bf;;;BU)", SDDL_REVISION_1, &granted, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(granted, &present, &dacl, &defaulted);
    std::wstring name = (dir / "Settings.ini").wstring();
    ASSERT_EQ(SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    LocalFree(granted);
    const std::wstring before = rightsOf(dir / "Settings.ini");
    if (before.find(L";;;BU)") == std::wstring::npos) {
        // Wine makes rights up from the Unix mode and keeps none of its own.
        GTEST_SKIP() << "this system keeps no access rights set on a file";
    }
    ReplaceFile(dir / "Settings.ini", "neu");
    EXPECT_EQ(ReadBytes(dir / "Settings.ini"), "neu");
    EXPECT_EQ(rightsOf(dir / "Settings.ini"), before);
}
#else
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
