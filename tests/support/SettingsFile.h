#pragma once

#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace morvik::test {

// Settings.ini in `programFolder`: section GDTService with the lines given (each ending in CR LF).
inline void WriteSettings(const std::filesystem::path& programFolder, const std::string& lines) {
    WriteBytes(programFolder / "Settings.ini", "[GDTService]\r\n" + lines);
}

// What most confirmations need: source and target folder, the initials "AB", then `more`.
inline void WriteSettings(const std::filesystem::path& programFolder,
                          const std::filesystem::path& in, const std::filesystem::path& out,
                          const std::string& more = "") {
    WriteSettings(programFolder, "GDTQuell=" + in.string() + "\r\nGDTZiel=" + out.string() +
                                     "\r\nKuerzel=AB\r\n" + more);
}

}  // namespace morvik::test
