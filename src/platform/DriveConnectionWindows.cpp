// Network drives on Windows: the share is connected under its drive letter with the signed-in
// user's credentials, for this session (Morvik connects it again at every start).
#include <windows.h>
#include <winnetwk.h>

#include "platform/DriveConnection.h"
#include "platform/FileSystem.h"

namespace morvik {

bool ConnectNetworkDrive(const std::string& localName, const std::string& remotePath) {
    // The wide call: a share name the ANSI code page cannot hold ("\\server\Röntgen" on a
    // Greek or Polish Windows, any name beyond it) reaches the server as it is.
    std::wstring local = PathFromUtf8(localName).wstring();
    std::wstring remote = PathFromUtf8(remotePath).wstring();
    NETRESOURCEW share{};
    share.dwType = RESOURCETYPE_DISK;
    share.lpLocalName = local.data();
    share.lpRemoteName = remote.data();
    return WNetAddConnection2W(&share, nullptr, nullptr, 0) == NO_ERROR;
}

}  // namespace morvik
