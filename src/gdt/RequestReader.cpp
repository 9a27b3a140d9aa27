#include "gdt/RequestReader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "gdt/RequestCharset.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define MORVIK_AVX2_WALK 1
#endif

namespace morvik {

namespace {

std::atomic<RequestWalk> chosenWalk{RequestWalk::Best};

// The line from `start` to the next line end: CR LF, LF or a lone CR. Files that passed through
// a Unix tool or a version control system end their lines in LF alone, a few in CR.
std::string_view lineAt(std::string_view text, std::size_t start) {
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    return text.substr(start, end - start);
}

#ifdef MORVIK_AVX2_WALK
// The walk in vector registers, 32 bytes at a time, where the processor has AVX2; elsewhere it
// goes byte by byte, several times slower, which is still some microseconds for a request of a
// few kilobytes. A byte b is marked when (b | 07) + (b4 | 0A) == 4A, with b4 the byte four on:
// true for CR or LF before "3" or "9", and for few other pairs (any byte from 08 to 0F before
// "1", "3", "9" or ";", among them), so every mark is checked again byte by byte. A group of four
// blocks without a mark costs one test. The marking calls nothing, so that it keeps its constants
// in registers, and it writes where the marks are as a list, so that checking them has no branch
// to guess wrong. It stops for the check when the list is full or after a stretch of text, so
// that a list place (from the stretch's start) fits 32 bits.
constexpr std::size_t kStretch = std::size_t{1} << 30;
constexpr std::size_t kListRoom = 1024;
// A group starts only while the list has room; it and the last blocks of the text add at most
// 256 marks, and a block's four first places are written whether it has that many or not.
using MarkList = std::uint32_t[kListRoom + 256 + 4];

__attribute__((target("avx2"), always_inline)) inline __m256i marks32(const char* p) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i ahead = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 4));
    return _mm256_cmpeq_epi8(_mm256_add_epi8(_mm256_or_si256(here, _mm256_set1_epi8(0x07)),
                                             _mm256_or_si256(ahead, _mm256_set1_epi8(0x0A))),
                             _mm256_set1_epi8(0x4A));
}

// The CRs of the 32 bytes from `p` that an LF follows: the LF after them ends the line. Reads
// p[32], which the block's marks have read already.
__attribute__((target("avx2"), always_inline)) inline std::uint32_t crBeforeLf32(const char* p) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const auto cr = static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('\r'))));
    const auto lf = static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('\n'))));
    return cr & (lf >> 1 | std::uint32_t{p[32] == '\n'} << 31);
}

// Lists the marks of the block at `p` (text position `at` in the stretch), without the CRs of
// CR LF (most marks in a request, since the next line's length field follows them) and without
// the first `skip` places.
__attribute__((target("avx2,bmi,popcnt"), always_inline)) inline void list32(
    std::uint32_t* out, std::size_t& count, std::uint32_t at, const char* p, __m256i marks,
    unsigned skip = 0) {
    std::uint32_t bits =
        (static_cast<std::uint32_t>(_mm256_movemask_epi8(marks)) & ~crBeforeLf32(p)) >> skip;
    if (bits == 0) return;
    std::uint32_t* place = out + count;
    count += static_cast<std::size_t>(_mm_popcnt_u32(bits));
    for (int i = 0; i < 4; ++i) {
        place[i] = at + _tzcnt_u32(bits);
        bits = _blsr_u32(bits);
    }
    for (place += 4; bits != 0; bits = _blsr_u32(bits)) *place++ = at + _tzcnt_u32(bits);
}

// Marks from `from` on (each block reads four bytes past its end) into `out`, until the list is
// full, a stretch is done or the text ends; returns where it stopped.
__attribute__((target("avx2,bmi,popcnt"))) std::size_t markAvx2(const char* d, std::size_t from,
                                                                std::size_t n, MarkList& out,
                                                                std::size_t& count) {
    const std::size_t stop = std::min(n, from + kStretch + 4);
    std::size_t k = from;
    for (; k + 132 <= stop; k += 128) {
        if (count >= kListRoom) return k;
        const __m256i a = marks32(d + k), b = marks32(d + k + 32);
        const __m256i c = marks32(d + k + 64), e = marks32(d + k + 96);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, e));
        if (_mm256_testz_si256(any, any)) continue;
        const auto at = static_cast<std::uint32_t>(k - from);
        list32(out, count, at, d + k, a);
        list32(out, count, at + 32, d + k + 32, b);
        list32(out, count, at + 64, d + k + 64, c);
        list32(out, count, at + 96, d + k + 96, e);
    }
    if (stop < n) return k;
    for (; k + 36 <= n; k += 32)
        list32(out, count, static_cast<std::uint32_t>(k - from), d + k, marks32(d + k));
    if (k + 4 >= n || n - from < 36) return k;
    // The last bytes as one block that ends where the text does, less what it repeats.
    const std::size_t last = n - 36;
    list32(out, count, static_cast<std::uint32_t>(k - from), d + last, marks32(d + last),
           static_cast<unsigned>(k - last));
    return n - 4;
}

#endif

// Calls visit(k), in order, for every line end at k (k + 4 < n: an LF, or a CR without an LF
// after it) whose byte k + 4, the first of the next line's field, is "3" or "9". The test has a
// single branch, taken only for a patient or character-set line: a line's own length field makes
// many marks that are none, and a guess at each of them would often miss.
template <class Visit>
void forEachCandidate(const char* d, std::size_t n, Visit&& visit) {
    auto check = [&](std::size_t k) {
        const char c = d[k];
        const char f = d[k + 4];
        const bool lineEnd = (c == '\n') | ((c == '\r') & (d[k + 1] != '\n'));
        if (lineEnd & ((f == '3') | (f == '9'))) visit(k);
    };
    std::size_t k = 0;
#ifdef MORVIK_AVX2_WALK
    static const bool hasAvx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                                __builtin_cpu_supports("popcnt");
    MarkList marks;
    while (hasAvx2 && chosenWalk.load(std::memory_order_relaxed) == RequestWalk::Best) {
        std::size_t count = 0;
        const std::size_t stop = markAvx2(d, k, n, marks, count);
        for (std::size_t i = 0; i < count; ++i) check(k + marks[i]);
        if (stop == k) break;
        k = stop;
    }
#endif
    for (; k + 4 < n; ++k) check(k);
}

// 30061922 as 30.06.1922; anything that is no such date stays as written.
std::string shownBirthDate(const std::string& content) {
    const std::string_view date = TrimBlanks(content);
    if (date.size() != 8 || date.find_first_not_of("0123456789") != std::string_view::npos) {
        return content;
    }
    const int day = (date[0] - '0') * 10 + (date[1] - '0');
    const int month = (date[2] - '0') * 10 + (date[3] - '0');
    if (day > 31 || month > 12) return content;
    return std::string(date.substr(0, 2)) + "." + std::string(date.substr(2, 2)) + "." +
           std::string(date.substr(4));
}

}  // namespace

void UseRequestWalk(RequestWalk walk) noexcept {
    chosenWalk.store(walk, std::memory_order_relaxed);
}

PatientRequest ParseRequest(std::string_view bytes) {
    return ParseRequest(ByteBuffer(bytes));
}

PatientRequest ParseRequest(ByteBuffer bytes) {
    PatientRequest request;
    request.text = std::move(bytes);
    const std::string_view text = request.text.view();
    // Only the patient fields (3000, 3101 to 3103, 3110) and the character set (9206) matter, so
    // the walk visits just the lines whose field starts with "3" or "9": walking a request costs
    // less than reading its file. The fields are decoded once the character set is known. A request
    // has a handful of patient lines: they stay on the stack, any beyond go on the heap.
    std::array<std::string_view, 8> firstLines;
    std::vector<std::string_view> moreLines;
    std::size_t lineCount = 0;
    std::string_view charsetLine;
    auto examine = [&](std::size_t start) {
        std::string_view line = lineAt(text, start);
        if (line.size() < 7) return;
        std::string_view field = line.substr(3, 4);
        if (field == "3000" || field == "3101" || field == "3102" || field == "3103" ||
            field == "3110") {
            if (lineCount < firstLines.size()) {
                firstLines[lineCount] = line;
            } else {
                moreLines.push_back(line);
            }
            ++lineCount;
        }
        if (field == "9206" && charsetLine.empty()) charsetLine = line;
    };
    examine(0);
    forEachCandidate(text.data(), text.size(), [&](std::size_t k) { examine(k + 1); });

    // Only what is shown is decoded; the request's bytes go into the orders as they are.
    const Charset charset = DeclaredCharset(charsetLine);
    for (std::size_t i = 0; i < lineCount; ++i) {
        const std::string_view line =
            i < firstLines.size() ? firstLines[i] : moreLines[i - firstLines.size()];
        std::string_view field = line.substr(3, 4);
        std::string content = ControlsAsBlanks(ToUtf8(line.substr(7), charset));
        if (field == "3000") {
            request.patientId = std::move(content);
            request.hasPatientId = true;
        } else if (field == "3102") {
            request.firstName = std::move(content);
            request.spelledName += ' ';
            request.spelledName += request.firstName;
        } else if (field == "3103") {
            request.birthDate = shownBirthDate(content);
            request.birthDateField = std::move(content);
            request.hasBirthDate = true;
        } else if (field == "3110") {
            request.sexField = std::move(content);
        } else {
            request.surname = std::move(content);
            request.spelledName = ' ';
            request.spelledName += request.surname;
        }
    }
    return request;
}

std::string PatientDescription(std::string_view id, std::string_view name,
                               std::string_view birthDate) {
    std::string details(name);
    if (!birthDate.empty()) {
        details += details.empty() ? "geb. " : ", geb. ";
        details += birthDate;
    }
    // Appended piece by piece: "x" + std::string(...) sets off a false -Wrestrict in g++ 12 -O3.
    std::string who = "Patient";
    if (!id.empty()) {
        who += ' ';
        who += id;
    }
    if (!details.empty()) {
        who += " (";
        who += details;
        who += ')';
    }
    return who;
}

ByteBuffer ReadRequestBytes(const std::filesystem::path& path) {
    return ReadPlainFile(path, kMaxRequestBytes);
}

PatientRequest ReadGDT(const std::filesystem::path& path) {
    return ParseRequest(ReadRequestBytes(path));
}

}  // namespace morvik
