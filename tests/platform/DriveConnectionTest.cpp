#include "platform/DriveConnection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace morvik {
namespace {

using Command = std::vector<std::string>;

const std::string Fstab =
    "# /etc/fstab: static file system information.\n"
    "UUID=0a1b /               ext4    errors=remount-ro 0 1\n"
    "//praxis-srv/gdt /mnt/praxis cifs noauto,user,credentials=/etc/gdt.cred 0 0\n"
    "nas:/export/bilder\t/mnt/praxis/bilder\tnfs\tnoauto\t0\t0\n"
    "//praxis-srv/gdt\\040neu /mnt/gdt\\040neu cifs noauto,user 0 0\n";

const std::string RootOnly = "/dev/sda1 / ext4 rw,relatime 0 0\nproc /proc proc rw 0 0\n";

// Only a listed entry that is not mounted yet is mounted, the longest one holding the folder.
TEST(MountFstabEntry, MountsOnlyAListedEntryThatIsNotMountedYet) {
    struct Case {
        std::string folder;
        std::string mounts;  // the mount point handed to "mount", empty if nothing may be run
        bool connected;
        std::string alsoMounted = "";  // a line of the current mounts besides RootOnly
        int mountStatus = 0;           // what the fake mount command returns
    };
    const Case cases[] = {
        {"/mnt/praxis/gdt/in", "/mnt/praxis", true},
        {"/mnt/praxis/gdt/in", "", false, "//praxis-srv/gdt /mnt/praxis cifs rw 0 0\n"},
        {"/mnt/praxis/gdt/in", "/mnt/praxis", false, "", 32},
        {"/srv/gdt/in", "", false},
        {"/mnt/praxis-alt/gdt", "", false},
        {"/mnt/praxis/bilder/2026", "/mnt/praxis/bilder", true},
        {"/mnt/gdt neu/in", "/mnt/gdt neu", true},
    };
    for (const Case& c : cases) {
        std::vector<Command> commands;
        const auto run = [&](const Command& command) {
            commands.push_back(command);
            return c.mountStatus;
        };
        EXPECT_EQ(MountFstabEntryFor(c.folder, Fstab, RootOnly + c.alsoMounted, run), c.connected)
            << c.folder;
        const std::vector<Command> expected =
            c.mounts.empty() ? std::vector<Command>{} : std::vector<Command>{{"mount", c.mounts}};
        EXPECT_EQ(commands, expected) << c.folder;
    }
}

TEST(ConnectNetworkDrive, WindowsShareOnLinuxConnectsNothing) {
    EXPECT_FALSE(ConnectNetworkDrive("Z:", "\\\\praxis-srv\\gdt\\in"));
}

#ifndef _WIN32
TEST(RunCommandSilently, ReportsTheExitStatusAndPassesArgumentsWithoutAShell) {
    EXPECT_EQ(RunCommandSilently({"sh", "-c", "exit 3"}), 3);
    EXPECT_NE(RunCommandSilently({"/nonexistent/mount"}), 0);
    // A shell would split the blank and run the command substitution.
    const std::string path = "/mnt/a b;$(false)`false`";
    EXPECT_EQ(RunCommandSilently({"test", path, "=", path}), 0);
}
#endif

}  // namespace
}  // namespace morvik
