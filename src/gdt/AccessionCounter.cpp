#include "gdt/AccessionCounter.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <memory>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "diag/ErrorLog.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"

namespace morvik {

AccessionCounter::AccessionCounter(std::filesystem::path programFolder, ErrorLog& log)
    : programFolder_(std::move(programFolder)), log_(log) {}

std::filesystem::path AccessionCounter::FileIn(const std::filesystem::path& programFolder) {
    return programFolder / "AccNum.dat";
}

std::filesystem::path AccessionCounter::RealFolder(const std::filesystem::path& programFolder) {
    return FollowLinks(FileIn(programFolder)).parent_path();
}

std::filesystem::path AccessionCounter::NoteIn(const std::filesystem::path& programFolder) {
    return RealFolder(programFolder) / "AccNum.lck";
}

std::string AccessionCounter::CounterText(std::uint64_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() < 7) digits.insert(0, 7 - digits.size(), '0');
    return digits;
}

std::uint64_t AccessionCounter::ParseCounter(std::string_view text) {
    const std::string_view t = TrimBlanks(text, " \t\r\n");
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        std::string shown(text.substr(0, 40));
        throw AppError(err::CounterCorrupt,
                       "AccNum.dat enthält keine gültige Nummer: \"" + shown + "\"");
    }
    return value;
}

std::uint64_t AccessionCounter::readFile() {
    std::error_code ec;
    if (!std::filesystem::exists(File(), ec)) {
        if (ec) throw AppError(err::PathFileAccess, "Zugriff auf " + Utf8Path(File()));
        return 0;
    }
    return ParseCounter(ReadFileBytes(File()));
}

std::optional<std::uint64_t> AccessionCounter::ReadAccNum() {
    std::optional<std::uint64_t> result;
    trap(log_, trapname::ReadAccessionCounter, [&] { result = readFile(); });
    return result;
}

std::optional<std::vector<std::string>> AccessionCounter::IssueNumbers(std::size_t count) {
    // The lock and the highest number issued sit beside the real counter, so that program
    // folders sharing one counter through a link also share its lock.
    std::unique_ptr<FileLock> lock;
    if (!trap(log_, trapname::WriteAccessionCounter,
              [&] { lock = std::make_unique<FileLock>(NoteIn(programFolder_)); })) {
        return std::nullopt;
    }
    std::uint64_t last = 0;
    std::uint64_t highest = 0;
    if (!trap(log_, trapname::ReadAccessionCounter, [&] {
            const std::string note = lock->ReadNote();
            highest = note.empty() ? 0 : ParseCounter(note);
            const bool present = std::filesystem::exists(FollowLinks(File()));
            last = readFile();
            // The counter never goes back: a counter that lost numbers would issue them twice.
            if (highest > 0 && (!present || last < highest)) {
                throw AppError(
                    err::CounterWentBack,
                    Utf8Path(File()) +
                        (present ? " enthält " + CounterText(last) : std::string(" fehlt")) +
                        ", vergeben wurde schon " + CounterText(highest) +
                        "; die Zählung wird nicht zurückgesetzt");
            }
        })) {
        return std::nullopt;
    }

    std::optional<std::vector<std::string>> texts;
    trap(log_, trapname::WriteAccessionCounter, [&] {
        if (count > std::numeric_limits<std::uint64_t>::max() - last) {
            throw AppError(err::CounterExhausted, "Die Accession Number ist ausgeschöpft");
        }
        std::vector<std::string> issued;
        issued.reserve(count);
        for (std::uint64_t n = last + 1; n <= last + count; ++n) issued.push_back(CounterText(n));
        if (count > 0) {
            // The counter first: killed before the note, the counter is merely ahead of it.
            ReplaceFile(File(), issued.back());
            std::string note = std::to_string(last + count);
            lock->WriteNote(std::string(20 - std::min<std::size_t>(20, note.size()), '0') + note);
        }
        texts = std::move(issued);
    });
    return texts;
}

}  // namespace morvik
