#include "diag/ErrorLog.h"

#include <cstdio>
#include <iostream>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace fs = std::filesystem;

ErrorLog::ErrorLog(fs::path programFolder, Clock& clock)
    : programFolder_(std::move(programFolder)), clock_(clock) {}

fs::path ErrorLog::Folder() const {
    return programFolder_ / "Logs";
}
fs::path ErrorLog::File() const {
    return Folder() / "ErrorLog.log";
}

std::string ErrorLog::FormatLine(std::string_view date, std::string_view time, std::int32_t number,
                                 std::string_view description, std::string_view procedure) {
    std::string line;
    line.append(date).append(" - ").append(time).append(" # ");
    line.append(std::to_string(number)).append(" - ");
    line.append(description).append(" - ").append(procedure);
    return line;
}

void ErrorLog::LogError(std::string_view procedure, std::int32_t number,
                        std::string_view description) noexcept {
    std::string line;
    try {
        std::string date = clock_.Date();
        std::string time = clock_.Time();
        line = FormatLine(date, time, number, description, procedure);
        // A description must not break the one-line-per-entry form the log is read in.
        for (char& c : line) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        AppendToFile(File(), ToAnsi(line) + "\r\n");
        lastLineWritten_ = true;
        return;
    } catch (...) {
        lastLineWritten_ = false;
        if (line.empty()) line = std::string(procedure) + ": " + std::string(description);
    }
    // Last resort: the log cannot be written, but the failure must not vanish.
    std::fprintf(stderr, "Morvik: %s\n", line.c_str());
}

}  // namespace morvik
