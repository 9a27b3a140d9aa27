#include "gdt/RequestCharset.h"

#include "base/Text.h"

namespace morvik {

Charset DeclaredCharset(std::string_view text) {
    // A field identifier stands in characters 4 to 7 of a line, so "9206" counts only three bytes
    // after the start of the text or after a line end (CR LF, LF or a lone CR).
    for (std::size_t at = text.find("9206"); at != std::string_view::npos;
         at = text.find("9206", at + 1)) {
        const bool lineStart =
            at == 3 || (at >= 4 && (text[at - 4] == '\n' || text[at - 4] == '\r'));
        if (!lineStart) continue;
        std::string_view content = text.substr(at + 4);
        content = TrimBlanks(content.substr(0, content.find_first_of("\r\n")));
        if (content == "1") return Charset::Din66003;
        if (content == "2") return Charset::Cp437;
        if (content == "3") return Charset::Latin1;
        return Charset::Ansi;
    }
    return Charset::Ansi;
}

}  // namespace morvik
