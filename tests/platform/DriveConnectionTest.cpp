#include "platform/DriveConnection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace morvik {
namespace {

using Command = std::vector<std::string>;

const std::string Fstab =
    "# /etc/fstab: static file system information.\n"
    "UUID=0a1b /               ext4    errors=remount-ro 0 1\n"
    "\n"
    "UUID=77ff none            swap    sw              0 0\n"
    "//praxis-srv/gdt /mnt/praxis cifs noauto,user,credentials=/etc/gdt.cred 0 0\n"
    "  # //alt-srv/gdt /mnt/alt cifs noauto 0 0\n"
    "nas:/export/bilder\t/mnt/praxis/bilder\tnfs\tnoauto\t0\t0\n"
    "//praxis-srv/gdt\\040neu /mnt/gdt\\040neu cifs noauto,user 0 0\n";

const std::string RootOnly = "/dev/sda1 / ext4 rw,relatime 0 0\nproc /proc proc rw 0 0\n";

struct MountCase {
    const char* name;
    std::string folder;
    std::string mounts;  // the mount point handed to "mount", empty if nothing may be run
    bool connected = false;
    std::string alsoMounted = "";  // a line of the current mounts besides RootOnly
    int mountStatus = 0;           // what the fake mount command returns
    std::string fstab = Fstab;
    friend void PrintTo(const MountCase& c, std::ostream* os) { *os << c.name; }
};

class MountFstabEntry : public ::testing::TestWithParam<MountCase> {};

TEST_P(MountFstabEntry, MountsOnlyAListedEntryThatIsNotMountedYet) {
    const MountCase& c = GetParam();
    std::vector<Command> commands;
    const auto run = [&](const Command& command) {
        commands.push_back(command);
        return c.mountStatus;
    };

    EXPECT_EQ(MountFstabEntryFor(c.folder, c.fstab, RootOnly + c.alsoMounted, run), c.connected);
    if (c.mounts.empty()) {
        EXPECT_THAT(commands, ::testing::IsEmpty());
    } else {
        EXPECT_THAT(commands, ::testing::ElementsAre(Command{"mount", c.mounts}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, MountFstabEntry,
    ::testing::Values(MountCase{"ListedNotMounted", "/mnt/praxis/gdt/in", "/mnt/praxis", true},
                      MountCase{"AlreadyMounted", "/mnt/praxis/gdt/in", "", false,
                                "//praxis-srv/gdt /mnt/praxis cifs rw 0 0\n"},
                      MountCase{"MountFails", "/mnt/praxis/gdt/in", "/mnt/praxis", false, "", 32},
                      MountCase{"OnNoEntry", "/srv/gdt/in", ""},
                      MountCase{"LongestEntryWins", "/mnt/praxis/bilder/2026", "/mnt/praxis/bilder",
                                true},
                      MountCase{"LongestEntryMountedShorterNot", "/mnt/praxis/bilder/2026", "",
                                false, "nas:/export/bilder /mnt/praxis/bilder nfs rw 0 0\n"},
                      MountCase{"PrefixIsNoParent", "/mnt/praxis-alt/gdt", ""},
                      MountCase{"TrailingSlashes", "/mnt/praxis/gdt/", "/mnt/praxis", true, "", 0,
                                "//praxis-srv/gdt /mnt/praxis/ cifs noauto 0 0\n"},
                      MountCase{"DotDotLeavesTheEntry", "/mnt/praxis/../andere/gdt", ""},
                      MountCase{"CommentedOutEntry", "/mnt/alt/gdt", ""},
                      MountCase{"BlankEscaped", "/mnt/gdt neu/in", "/mnt/gdt neu", true},
                      MountCase{"BlankEscapedAlreadyMounted", "/mnt/gdt neu/in", "", false,
                                "//praxis-srv/gdt\\040neu /mnt/gdt\\040neu cifs rw 0 0\n"},
                      MountCase{"RelativeFolder", "mnt/praxis/gdt", ""},
                      MountCase{"WindowsShare", "\\\\praxis-srv\\gdt", ""},
                      MountCase{"CrLfFstab", "/mnt/praxis/gdt", "/mnt/praxis", true, "", 0,
                                "//praxis-srv/gdt /mnt/praxis cifs noauto 0 0\r\n"}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST(ConnectNetworkDrive, WindowsShareOnLinuxConnectsNothing) {
    EXPECT_FALSE(ConnectNetworkDrive("Z:", "\\\\praxis-srv\\gdt\\in"));
}

#ifndef _WIN32
TEST(RunCommandSilently, ReportsTheExitStatus) {
    EXPECT_EQ(RunCommandSilently({"true"}), 0);
    EXPECT_EQ(RunCommandSilently({"sh", "-c", "exit 3"}), 3);
    EXPECT_NE(RunCommandSilently({"/nonexistent/mount"}), 0);
    EXPECT_NE(RunCommandSilently({}), 0);
}

TEST(RunCommandSilently, PassesArgumentsWithoutAShell) {
    // A shell would split the blank and run the command substitution.
    const std::string path = "/mnt/a b;$(false)`false`";
    EXPECT_EQ(RunCommandSilently({"test", path, "=", path}), 0);
}
#endif

}  // namespace
}  // namespace morvik
