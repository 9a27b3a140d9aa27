#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

// Connects the network share that a source or target folder lies on, so that the folder can be
// reached. True only when this call made the connection; false when it failed or there was
// nothing to connect. Silent: no message, no log entry.
//
// Windows: WNetAddConnectionA(remotePath, no password, localName), the signed-in user's
// credentials. Linux has no drive letters, so localName is not used: if remotePath lies below
// a mount point listed in /etc/fstab that is not mounted yet, "mount MOUNTPOINT" is run.
bool ConnectNetworkDrive(const std::string& localName, const std::string& remotePath);

// Runs a command (program and arguments) and returns its exit status, non-zero on failure.
using CommandRunner = std::function<int(const std::vector<std::string>&)>;

// The Linux decision on given tables: `fstab` in the form of /etc/fstab, `mounts` in the form
// of /proc/self/mounts. Picks the longest fstab mount point that `folder` lies at or below; if
// it is not mounted, runs {"mount", mountPoint} and returns whether that succeeded.
bool MountFstabEntryFor(std::string_view folder, std::string_view fstab, std::string_view mounts,
                        const CommandRunner& run);

#ifndef _WIN32
// Runs the program found on PATH with the arguments as they are, without a shell, with no
// input, its output discarded and detached from any terminal (so it cannot ask for a password).
// Returns the exit status, or -1 if it could not be started or did not exit normally.
int RunCommandSilently(const std::vector<std::string>& command);
#endif

}  // namespace morvik
