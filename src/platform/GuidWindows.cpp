// New GUIDs on Windows from CoCreateGuid (ole32), bytes as the GUID lies in memory.
#include <objbase.h>

#include <cstring>

#include "platform/Guid.h"

namespace morvik {

std::array<unsigned char, 16> NewGuidBytes() {
    std::array<unsigned char, 16> bytes{};
    GUID guid{};
    CoCreateGuid(&guid);
    std::memcpy(bytes.data(), &guid, bytes.size());
    return bytes;
}

}  // namespace morvik
