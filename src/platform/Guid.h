#pragma once

#include <array>

namespace morvik {

// 16 fresh bytes from the platform's GUID generator, in the order Windows stores a GUID in
// memory (first three fields least significant byte first).
std::array<unsigned char, 16> NewGuidBytes();

}  // namespace morvik
