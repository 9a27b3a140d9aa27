#pragma once

#include <string>
#include <string_view>

namespace morvik {

// Files are single-byte text in the ANSI code page (Windows-1252 here); memory is UTF-8.
// These two are the only places where text crosses that line.

// UTF-8 to ANSI bytes. A character the code page lacks becomes "?".
std::string ToAnsi(std::string_view utf8);

// ANSI bytes to UTF-8. Every byte maps to one character, so ToAnsi(FromAnsi(b)) == b.
std::string FromAnsi(std::string_view ansi);

// Character sets that text from other programs may declare for itself.
enum class Charset {
    Ansi,      // the machine's ANSI code page, as above
    Din66003,  // 7-bit German (ISO 646-DE): [\]{|}~@ are ÄÖÜäöüß§
    Cp437,     // IBM PC code page 437
    Latin1,    // ISO 8859-1
};

// Bytes in the given character set to UTF-8, for showing only. A byte the set does not define
// shows as U+FFFD.
std::string ToUtf8(std::string_view bytes, Charset charset);

}  // namespace morvik
