#include "platform/DriveConnection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace morvik {
namespace {

using Command = std::vector<std::string>;

struct MountCase {
    const char* name;
    std::string folder;
    std::string fstab;
    std::string mounts;
    int mountStatus;   // what the fake mount command returns
    Command expected;  // the command run, empty if none
    bool connected;
    friend void PrintTo(const MountCase& c, std::ostream* os) { *os << c.name; }
};

class MountFstabEntry : public ::testing::TestWithParam<MountCase> {};

TEST_P(MountFstabEntry, MountsOnlyAListedEntryThatIsNotMountedYet) {
    std::vector<Command> commands;
    const auto run = [&](const Command& command) {
        commands.push_back(command);
        return GetParam().mountStatus;
    };

    const bool connected =
        MountFstabEntryFor(GetParam().folder, GetParam().fstab, GetParam().mounts, run);

    EXPECT_EQ(connected, GetParam().connected);
    if (GetParam().expected.empty()) {
        EXPECT_THAT(commands, ::testing::IsEmpty());
    } else {
        EXPECT_THAT(commands, ::testing::ElementsAre(GetParam().expected));
    }
}

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

INSTANTIATE_TEST_SUITE_P(
    Tables, MountFstabEntry,
    ::testing::Values(
        MountCase{"ListedNotMounted",
                  "/mnt/praxis/gdt/in",
                  Fstab,
                  RootOnly,
                  0,
                  {"mount", "/mnt/praxis"},
                  true},
        MountCase{"AlreadyMounted",
                  "/mnt/praxis/gdt/in",
                  Fstab,
                  RootOnly + "//praxis-srv/gdt /mnt/praxis cifs rw 0 0\n",
                  0,
                  {},
                  false},
        MountCase{"MountFails",
                  "/mnt/praxis/gdt/in",
                  Fstab,
                  RootOnly,
                  32,
                  {"mount", "/mnt/praxis"},
                  false},
        MountCase{"OnNoEntry", "/srv/gdt/in", Fstab, RootOnly, 0, {}, false},
        MountCase{"LongestEntryWins",
                  "/mnt/praxis/bilder/2026",
                  Fstab,
                  RootOnly,
                  0,
                  {"mount", "/mnt/praxis/bilder"},
                  true},
        MountCase{"LongestEntryMountedShorterNot",
                  "/mnt/praxis/bilder/2026",
                  Fstab,
                  RootOnly + "nas:/export/bilder /mnt/praxis/bilder nfs rw 0 0\n",
                  0,
                  {},
                  false},
        MountCase{"PrefixIsNoParent", "/mnt/praxis-alt/gdt", Fstab, RootOnly, 0, {}, false},
        MountCase{"TrailingSlashes",
                  "/mnt/praxis/gdt/",
                  "//praxis-srv/gdt /mnt/praxis/ cifs noauto 0 0\n",
                  RootOnly,
                  0,
                  {"mount", "/mnt/praxis"},
                  true},
        MountCase{
            "DotDotLeavesTheEntry", "/mnt/praxis/../andere/gdt", Fstab, RootOnly, 0, {}, false},
        MountCase{"CommentedOutEntry", "/mnt/alt/gdt", Fstab, RootOnly, 0, {}, false},
        MountCase{
            "BlankEscaped", "/mnt/gdt neu/in", Fstab, RootOnly, 0, {"mount", "/mnt/gdt neu"}, true},
        MountCase{"BlankEscapedAlreadyMounted",
                  "/mnt/gdt neu/in",
                  Fstab,
                  RootOnly + "//praxis-srv/gdt\\040neu /mnt/gdt\\040neu cifs rw 0 0\n",
                  0,
                  {},
                  false},
        MountCase{"RelativeFolder", "mnt/praxis/gdt", Fstab, RootOnly, 0, {}, false},
        MountCase{"WindowsShare", "\\\\praxis-srv\\gdt", Fstab, RootOnly, 0, {}, false},
        MountCase{"CrLfFstab",
                  "/mnt/praxis/gdt",
                  "//praxis-srv/gdt /mnt/praxis cifs noauto 0 0\r\n",
                  RootOnly,
                  0,
                  {"mount", "/mnt/praxis"},
                  true}),
    [](const auto& info) { return std::string(info.param.name); });

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
