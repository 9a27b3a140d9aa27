#include "gdt/GdtLine.h"

#include <cstdio>

#include "platform/CodePage.h"
#include "platform/Guid.h"

namespace morvik {

namespace {

void appendLine(std::string& out, std::string_view fieldId, std::string_view bytes) {
    char length[4];
    std::snprintf(length, sizeof length, "%03zu", bytes.size() + 9);
    out.append(length, 3).append(ToAnsi(fieldId)).append(bytes).append("\r\n");
}

}  // namespace

std::string CreateGDTLine(std::string_view fieldId, std::string_view content) {
    std::string out;
    if (content.empty()) return out;
    std::string bytes = ToAnsi(content);
    std::string_view rest(bytes);
    while (!rest.empty()) {
        std::size_t brk = rest.find_first_of("\r\n");
        std::string_view piece = rest.substr(0, brk);
        while (!piece.empty()) {
            std::string_view chunk = piece.substr(0, kMaxGdtContent);
            appendLine(out, fieldId, chunk);
            piece.remove_prefix(chunk.size());
        }
        if (brk == std::string_view::npos) break;
        // CR LF counts as one break; a lone CR or LF as well.
        std::size_t skip =
            (rest[brk] == '\r' && brk + 1 < rest.size() && rest[brk + 1] == '\n') ? 2 : 1;
        rest.remove_prefix(brk + skip);
    }
    return out;
}

std::string CreateGUID() {
    static const char* hex = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    auto bytes = NewGuidBytes();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text.push_back(hex[bytes[i] >> 4]);
        text.push_back(hex[bytes[i] & 15]);
        if (i == 3 || i == 5 || i == 7 || i == 9) text.push_back('-');
    }
    return text;
}

}  // namespace morvik
