// New GUIDs on POSIX: version 4 (random) UUIDs from the system's random source.
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/Guid.h"

namespace morvik {

std::array<unsigned char, 16> NewGuidBytes() {
    // One call to the kernel's random source (getrandom on Linux). It waits only while the
    // source is not yet seeded after a boot.
    std::array<unsigned char, 16> bytes{};
    while (::getentropy(bytes.data(), bytes.size()) != 0) {
        if (errno != EINTR) {
            throw AppError(err::InternalError, "Keine Zufallszahlen vom System für eine neue GUID");
        }
    }
    // RFC 4122: version 4 in the high half of byte 6, variant 10 in the top bits of byte 8. The
    // bytes stand in its order, where every field is big-endian; Windows keeps Data1, Data2 and
    // Data3 little-endian in memory, so they are swapped to match.
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    std::reverse(bytes.begin(), bytes.begin() + 4);
    std::reverse(bytes.begin() + 4, bytes.begin() + 6);
    std::reverse(bytes.begin() + 6, bytes.begin() + 8);
    return bytes;
}

}  // namespace morvik
