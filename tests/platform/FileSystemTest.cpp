#include <gtest/gtest.h>

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

TEST(StagedFile, NothingUnderTheFinalNameUntilCommitAndNoGdtLookalike) {
    TempFolder dir;
    StagedFile file(dir / "A.gdt", "inhalt");
    auto names = FileNames(dir.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].front(), '~');
    EXPECT_TRUE(names[0].ends_with(".tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "A.gdt"));
    file.commit();
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"A.gdt"});
    EXPECT_EQ(ReadBytes(dir / "A.gdt"), "inhalt");
}

TEST(StagedFile, DroppedWithoutCommitLeavesNothingBehind) {
    TempFolder dir;
    { StagedFile file(dir / "A.gdt", "inhalt"); }
    EXPECT_TRUE(FileNames(dir.path()).empty());
}

TEST(StagedFile, MissingFolderIsAPathError) {
    TempFolder dir;
    try {
        StagedFile file(dir / "fehlt" / "A.gdt", "x");
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::FileNotFound);
    }
}

TEST(WriteFileAtomically, ReplacesTheWholeFile) {
    TempFolder dir;
    WriteBytes(dir / "AccNum.dat", "0000041XYZ");
    WriteFileAtomically(dir / "AccNum.dat", "0000042");
    EXPECT_EQ(ReadBytes(dir / "AccNum.dat"), "0000042");
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"AccNum.dat"});
}

TEST(FileSystem, ListFilesSkipsFoldersAndFailsOnAMissingFolder) {
    TempFolder dir;
    WriteBytes(dir / "a.gdt", "");
    std::filesystem::create_directory(dir / "sub.gdt");
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"a.gdt"});
    EXPECT_THROW(ListFiles(dir / "fehlt"), AppError);
}

TEST(FileSystem, DeleteRemovesAReadOnlyFile) {
    TempFolder dir;
    WriteBytes(dir / "r.gdt", "x");
    std::filesystem::permissions(dir / "r.gdt", std::filesystem::perms::owner_read);
    DeleteFileForced(dir / "r.gdt");
    EXPECT_FALSE(std::filesystem::exists(dir / "r.gdt"));
    EXPECT_THROW(DeleteFileForced(dir / "r.gdt"), AppError);
}

TEST(FileSystem, OneTrailingSeparatorIsDropped) {
    struct Case {
        std::string in, out;
    };
    for (const Case& c :
         {Case{"/gdt/", "/gdt"}, Case{"/gdt//", "/gdt/"}, Case{"C:\\GDT\\", "C:\\GDT"},
          Case{"C:\\GDT\\\\", "C:\\GDT\\"}, Case{"/gdt", "/gdt"}, Case{"", ""}}) {
        std::string s = c.in;
        DropTrailingSeparator(s);
        EXPECT_EQ(s, c.out) << c.in;
    }
}

}  // namespace
}  // namespace morvik
