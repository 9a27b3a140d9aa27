#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Clock.h"

namespace morvik {

// The error log: "Logs/ErrorLog.log" below the program folder, one CR LF line per trapped
// failure, in the ANSI code page:
//   05.12.2026 - 14:03:07 # 53 - Datei nicht gefunden - ReadGDT
// The file is opened and closed for every line, so each entry is on disk when the call returns.
class ErrorLog {
  public:
    ErrorLog(std::filesystem::path programFolder, Clock& clock);

    // Appends one line. Never throws; if the log cannot be written, the line goes to stderr.
    void LogError(std::string_view procedure, std::int32_t number,
                  std::string_view description) noexcept;

    // Whether the last line reached the file; when not, the operator must be told where the
    // trouble is, since the log cannot say it.
    bool LastLineWritten() const noexcept { return lastLineWritten_; }

    std::filesystem::path Folder() const;
    std::filesystem::path File() const;

    // The line as it is written, without its CR LF (UTF-8).
    static std::string FormatLine(std::string_view date, std::string_view time, std::int32_t number,
                                  std::string_view description, std::string_view procedure);

  private:
    std::filesystem::path programFolder_;
    Clock& clock_;
    bool lastLineWritten_ = true;
};

}  // namespace morvik
