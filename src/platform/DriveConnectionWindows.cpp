// Network drives on Windows: the share is connected under its drive letter with the signed-in
// user's credentials.
#include <windows.h>
#include <winnetwk.h>

#include "platform/CodePage.h"
#include "platform/DriveConnection.h"

namespace morvik {

bool ConnectNetworkDrive(const std::string& localName, const std::string& remotePath) {
    // The "A" function reads its text in the ANSI code page; the settings hold UTF-8.
    return WNetAddConnectionA(ToAnsi(remotePath).c_str(), nullptr, ToAnsi(localName).c_str()) ==
           NO_ERROR;
}

}  // namespace morvik
