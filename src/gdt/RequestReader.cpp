#include "gdt/RequestReader.h"

#include <vector>

#include "base/Text.h"
#include "gdt/RequestCharset.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

// Several copies of the request walk, each for a processor generation, chosen at start-up.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__clang__)
#define MORVIK_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define MORVIK_VECTOR_CLONES
#endif

namespace morvik {

namespace {

// The line from `start` to the next line end: CR LF, LF or a lone CR. Files that passed through
// a Unix tool or a version control system end their lines in LF alone, a few in CR.
std::string_view lineAt(std::string_view text, std::size_t start) {
    std::size_t end = text.find_first_of("\r\n", start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The first CR or LF from `from` on (before `n`) whose next byte but three, the start of a field,
// is "3" or "9"; `n` when there is none. Blocks of bytes are tested without branches, which the
// compiler turns into vector compares (AVX2 where the processor has it).
MORVIK_VECTOR_CLONES std::size_t nextCandidate(const char* d, std::size_t from, std::size_t n) {
    auto candidate = [d](std::size_t k) {
        return ((d[k] == '\n') | (d[k] == '\r')) & ((d[k + 4] == '3') | (d[k + 4] == '9'));
    };
    constexpr std::size_t kBlock = 128;
    std::size_t k = from;
    for (; k + kBlock + 4 <= n; k += kBlock) {
        unsigned char any = 0;
        for (std::size_t j = k; j < k + kBlock; ++j) any |= candidate(j);
        if (!any) continue;
        for (std::size_t j = k; j < k + kBlock; ++j) {
            if (candidate(j)) return j;
        }
    }
    for (; k + 4 < n; ++k) {
        if (candidate(k)) return k;
    }
    return n;
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

PatientRequest ParseRequest(std::string bytes) {
    PatientRequest request;
    request.text = std::move(bytes);
    const std::string_view text = request.text;
    // Only the patient fields (3000, 3101 to 3103) and the character set (9206) matter, so the
    // walk visits just the lines whose field starts with "3" or "9": walking a request costs less
    // than reading its file. The fields are decoded once the character set is known.
    std::vector<std::string_view> patientLines;
    std::string_view charsetLine;
    auto examine = [&](std::size_t start) {
        std::string_view line = lineAt(text, start);
        if (line.size() < 7) return;
        std::string_view field = line.substr(3, 4);
        if (field == "3000" || field == "3101" || field == "3102" || field == "3103") {
            patientLines.push_back(line);
        }
        if (field == "9206" && charsetLine.empty()) charsetLine = line;
    };
    examine(0);
    for (std::size_t k = nextCandidate(text.data(), 0, text.size()); k < text.size();
         k = nextCandidate(text.data(), k + 1, text.size())) {
        // The LF of a CR LF is a candidate of its own.
        if (text[k] == '\n' || k + 1 == text.size() || text[k + 1] != '\n') examine(k + 1);
    }

    // Only what is shown is decoded; the request's bytes go into the orders as they are.
    const Charset charset = DeclaredCharset(charsetLine);
    for (std::string_view line : patientLines) {
        std::string_view field = line.substr(3, 4);
        std::string content = ControlsAsBlanks(ToUtf8(line.substr(7), charset));
        if (field == "3000") {
            request.patientId = content;
            request.hasPatientId = true;
        } else if (field == "3102") {
            request.firstName = content;
            request.spelledName += ' ';
            request.spelledName += request.firstName;
        } else if (field == "3103") {
            request.birthDate = shownBirthDate(content);
            request.hasBirthDate = true;
        } else {
            request.surname = content;
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

std::string ReadRequestBytes(const std::filesystem::path& path) {
    return HeldFile(path).ReadAll(kMaxRequestBytes);
}

PatientRequest ReadGDT(const std::filesystem::path& path) {
    PatientRequest request = ParseRequest(ReadRequestBytes(path));
    request.path = path;
    return request;
}

}  // namespace morvik
