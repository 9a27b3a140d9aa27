#include "gdt/RequestReader.h"

#include <vector>

#include "gdt/RequestCharset.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

// The line from `start` to the next CR LF.
std::string_view lineAt(std::string_view text, std::size_t start) {
    std::size_t end = text.find("\r\n", start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace

void ApplyRequestText(std::string_view text, PatientRequest& request, PatientCaptions& captions) {
    // Only the patient fields (3000, 3101, 3102) and the character set (9206) matter, so the walk
    // looks for CR LF followed by three characters and a "3" or a "9" and reads just those lines.
    // It tests a block of bytes at a time without branches, which the compiler turns into vector
    // compares: walking a request costs less than reading its file.
    std::vector<std::string_view> patientLines;
    std::string_view charsetLine;
    auto examine = [&](std::size_t start) {
        std::string_view line = lineAt(text, start);
        if (line.size() < 7) return;
        std::string_view field = line.substr(3, 4);
        if (field == "3000" || field == "3101" || field == "3102") patientLines.push_back(line);
        if (field == "9206" && charsetLine.empty()) charsetLine = line;
    };
    examine(0);
    const char* d = text.data();
    const std::size_t n = text.size();
    auto candidate = [d](std::size_t k) {
        return (d[k] == '\r') & (d[k + 1] == '\n') & ((d[k + 5] == '3') | (d[k + 5] == '9'));
    };
    constexpr std::size_t kBlock = 64;
    std::size_t k = 0;
    for (; k + kBlock + 5 <= n; k += kBlock) {
        unsigned char any = 0;
        for (std::size_t j = k; j < k + kBlock; ++j) any |= candidate(j);
        if (!any) continue;
        for (std::size_t j = k; j < k + kBlock; ++j) {
            if (candidate(j)) examine(j + 2);
        }
    }
    for (; k + 5 < n; ++k) {
        if (candidate(k)) examine(k + 2);
    }

    // Only what is shown is decoded; the request's bytes go into the orders as they are.
    const Charset charset = DeclaredCharset(charsetLine);
    for (std::string_view line : patientLines) {
        std::string_view field = line.substr(3, 4);
        std::string content = ToUtf8(line.substr(7), charset);
        if (field == "3000") {
            request.patientId = content;
            captions.id = "ID: " + request.patientId;
        } else if (field == "3102") {
            request.firstName = content;
            captions.name += " " + request.firstName;
        } else {
            request.surname = content;
            captions.name = "Name: " + request.surname;
        }
    }
}

std::string ReadRequestBytes(const std::filesystem::path& path) {
    return HeldFile(path).ReadAll(kMaxRequestBytes);
}

PatientRequest ReadGDT(const std::filesystem::path& path, PatientCaptions& captions) {
    PatientRequest request;
    request.path = path;
    request.text = ReadRequestBytes(path);
    ApplyRequestText(request.text, request, captions);
    return request;
}

}  // namespace morvik
