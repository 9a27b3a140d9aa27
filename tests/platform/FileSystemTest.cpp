#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(StagedFile, NothingUnderTheFinalNameUntilCommitAndNoGdtLookalike) {
    TempFolder dir;
    {
        StagedFile file(dir / "A.gdt", "inhalt");
        const auto names = FileNames(dir.path());
        ASSERT_EQ(names.size(), 1u);
        EXPECT_TRUE(names[0].starts_with("~") && names[0].ends_with(".tmp")) << names[0];
        file.Commit();
        EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"A.gdt"});
        EXPECT_EQ(ReadBytes(dir / "A.gdt"), "inhalt");
    }
    // Dropped without commit: nothing is left behind.
    { StagedFile file(dir / "B.gdt", "inhalt"); }
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"A.gdt"});
    try {
        StagedFile file(dir / "fehlt" / "A.gdt", "x");
        ADD_FAILURE() << "staged into a missing folder";
    } catch (const AppError& e) {
        // Each system says it its own way: no such file, or no such path.
#ifdef _WIN32
        EXPECT_EQ(e.Number(), err::PathNotFound);
#else
        EXPECT_EQ(e.Number(), err::FileNotFound);
#endif
    }
}

// GDT files are CR LF text that may hold byte 0x1A (the old end-of-file mark) and any byte of the
// code page: what is written is read back byte for byte, never as text.
TEST(StagedFile, EveryByteSurvivesWritingAndReading) {
    TempFolder dir;
    std::string bytes = "01380006301\r\n\x1A\r\n\n\r";
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    bytes += "\x1A";
    StagedFile(dir / "A.gdt", bytes).Commit();
    EXPECT_EQ(ReadBytes(dir / "A.gdt"), bytes);
    EXPECT_EQ(ReadFileBytes(dir / "A.gdt"), bytes);
    EXPECT_EQ(HeldFile(dir / "A.gdt").ReadAll(1024), bytes);
}

// The program's locks say "mine" without stopping anyone else from reading or renaming: a sweep
// takes a stale temporary but not one a writer still holds, and a held request can be read by
// others and renamed, and knows where it went.
TEST(HeldFile, LocksStopSweepsAndSecondHoldersButNoReader) {
    TempFolder dir;
    StagedFile live(dir / "A.gdt", "x");
    EXPECT_FALSE(RemoveStaleTemporary(live.Temporary()));
    const std::string stale = NewTemporaryName();
    WriteBytes(dir / stale, "alt");
    EXPECT_TRUE(RemoveStaleTemporary(dir / stale));
    live.Commit();
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"A.gdt"});

    HeldFile held(dir / "A.gdt");
    ASSERT_TRUE(held.TryLock());
    EXPECT_FALSE(HeldFile(dir / "A.gdt").TryLock());
    EXPECT_EQ(ReadFileBytes(dir / "A.gdt"), "x");
    EXPECT_EQ(RenameNoReplace(dir / "A.gdt", dir / "B.gdt"), RenameOutcome::Done);
    EXPECT_TRUE(held.IsAt(dir / "B.gdt"));
    EXPECT_FALSE(held.IsAt(dir / "A.gdt"));
    EXPECT_EQ(held.ReadAll(10), "x");
}

// A held request is read as it is when it is read, not as it was when it was opened: the practice
// system may still be writing it, or write it anew.
TEST(HeldFile, ReadsTheFileAsItIsNow) {
    TempFolder dir;
    // Beyond the least a read sets aside, so that the size at opening is what sizes the read.
    const std::string first(10000, 'a');
    WriteBytes(dir / "A.gdt", first);
    HeldFile held(dir / "A.gdt");
    WriteBytes(dir / "A.gdt", first + "bcd");
    // Compared whole, without printing ten thousand bytes when it fails.
    EXPECT_TRUE(held.ReadAll(20000) == first + "bcd");
    WriteBytes(dir / "A.gdt", "01234");
    EXPECT_EQ(held.ReadAll(20000), "01234");
    WriteBytes(dir / "A.gdt", std::string(20001, 'x'));
    EXPECT_THROW(held.ReadAll(20000), AppError);
    EXPECT_THROW(HeldFile(dir / "A.gdt").ReadAll(20000), AppError);
}

#ifdef __linux__
// Whether the file system still holds blocks of this file back in memory, not yet given a place
// on disk (delayed allocation). nullopt: the file system does not say.
std::optional<bool> WaitsForDisk(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::vector<char> buffer(sizeof(fiemap) + 16 * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_extent_count = 16;
    const int rc = ::ioctl(fd, FS_IOC_FIEMAP, map);  // without FIEMAP_FLAG_SYNC: as it stands
    ::close(fd);
    if (rc != 0) return std::nullopt;
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
        if (map->fm_extents[i].fe_flags & FIEMAP_EXTENT_DELALLOC) return true;
    }
    return false;
}

// A staged file is on disk before it can be renamed: after a power cut the order file under
// its final name is never empty.
TEST(StagedFile, IsOnDiskBeforeCommit) {
    TempFolder dir;
    const std::string bytes(256 * 1024, 'x');
    StagedFile file(dir / "A.gdt", bytes);
    WriteBytes(dir / "ohne-sync.bin", bytes);  // written the plain way, for comparison
    const auto plain = WaitsForDisk(dir / "ohne-sync.bin");
    if (!plain.value_or(false)) {
        GTEST_SKIP() << "this file system does not show data still waiting for the disk";
    }
    EXPECT_EQ(WaitsForDisk(file.Temporary()), false);
}
#endif

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

// A folder flush that fails says so: what it was to make durable may be lost.
TEST(FileSystem, FlushFolderFailsPlainly) {
    TempFolder dir;
    EXPECT_NO_THROW(FlushFolder(dir.path()));
    EXPECT_THROW(FlushFolder(dir / "fehlt"), AppError);
}

TEST(FileSystem, OneTrailingSeparatorIsDropped) {
    const std::pair<std::string, std::string> cases[] = {
        {"/gdt//", "/gdt/"}, {"C:\\GDT\\", "C:\\GDT"}, {"/gdt", "/gdt"}, {"", ""}};
    for (auto [in, out] : cases) {
        DropTrailingSeparator(in);
        EXPECT_EQ(in, out);
    }
}

}  // namespace
}  // namespace morvik
