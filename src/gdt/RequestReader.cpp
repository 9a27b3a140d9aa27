#include "gdt/RequestReader.h"

#include "gdt/RequestCharset.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace morvik {

void ApplyRequestText(std::string_view text, PatientRequest& request, PatientCaptions& captions) {
    // Only what is shown is decoded; the request's bytes go into the orders as they are.
    const Charset charset = DeclaredCharset(text);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find("\r\n", start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (line.size() >= 7) {
            std::string_view field = line.substr(3, 4);
            std::string_view content = line.substr(7);
            if (field == "3000") {
                request.patientId = ToUtf8(content, charset);
                captions.id = "ID: " + request.patientId;
            } else if (field == "3102") {
                request.firstName = ToUtf8(content, charset);
                captions.name += " " + request.firstName;
            } else if (field == "3101") {
                request.surname = ToUtf8(content, charset);
                captions.name = "Name: " + request.surname;
            }
        }
        if (end == std::string_view::npos) break;
        start = end + 2;
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
