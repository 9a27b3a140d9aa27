// New GUIDs on POSIX from libuuid.
#include <uuid/uuid.h>

#include <algorithm>

#include "platform/Guid.h"

namespace morvik {

std::array<unsigned char, 16> NewGuidBytes() {
    // libuuid hands out the RFC 4122 byte order, where every field is big-endian. Windows
    // keeps Data1, Data2 and Data3 little-endian in memory; swap them to match.
    uuid_t raw;
    uuid_generate_random(raw);
    std::array<unsigned char, 16> bytes{};
    std::copy(std::begin(raw), std::end(raw), bytes.begin());
    std::reverse(bytes.begin(), bytes.begin() + 4);
    std::reverse(bytes.begin() + 4, bytes.begin() + 6);
    std::reverse(bytes.begin() + 6, bytes.begin() + 8);
    return bytes;
}

}  // namespace morvik
