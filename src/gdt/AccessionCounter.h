#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

class ErrorLog;

// The running accession number in "AccNum.dat" in the program folder: the last number issued,
// in decimal, at least seven digits with leading zeros, nothing else. A missing file means 0.
class AccessionCounter {
  public:
    AccessionCounter(std::filesystem::path programFolder, ErrorLog& log);

    // The last number issued. A file that exists but holds no non-negative whole number (blanks
    // and a line end around the digits are fine) is logged under "ReadAccNum": nullopt.
    std::optional<std::uint64_t> ReadAccNum();

    // Issues `count` consecutive numbers at once, under one lock and with one write; the file
    // then holds the last of them. Another copy of the program doing the same waits for this
    // one, so no number is handed out twice. Their counter texts in order; on any failure
    // nothing is issued: logged under "ReadAccNum" or "WriteAccNumDat", nullopt.
    //
    // The counter never goes back: the highest number issued is kept in the lock file
    // "AccNum.lck" beside the real counter (a linked AccNum.dat is followed). A counter that is
    // missing or smaller while numbers were issued is damage: logged under "ReadAccNum", nothing
    // issued. A fresh installation (neither file) starts at 1. The file is rewritten keeping
    // its link and mode.
    std::optional<std::vector<std::string>> IssueNumbers(std::size_t count);

    // Seven digits at least, with leading zeros.
    static std::string CounterText(std::uint64_t number);
    // Throws AppError when `text` is no non-negative whole number.
    static std::uint64_t ParseCounter(std::string_view text);

    // "AccNum.dat" in the program folder.
    std::filesystem::path File() const { return FileIn(programFolder_); }
    static std::filesystem::path FileIn(const std::filesystem::path& programFolder);
    // Where the counter really lies (a linked AccNum.dat followed): its lock and the temporary
    // files of its rewrite are there.
    static std::filesystem::path RealFolder(const std::filesystem::path& programFolder);
    // The counter's lock and note, "AccNum.lck", in the real folder.
    static std::filesystem::path NoteIn(const std::filesystem::path& programFolder);

  private:
    std::uint64_t readFile();

    std::filesystem::path programFolder_;
    ErrorLog& log_;
};

}  // namespace morvik
