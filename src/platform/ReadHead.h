#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace morvik {

// The first bytes of a file (a little more than `count` may come), for telling its format by
// its header. Throws AppError with a classic file error number, as ReadFileBytes does.
std::string ReadFileHead(const std::filesystem::path& file, std::uint64_t count);

}  // namespace morvik
