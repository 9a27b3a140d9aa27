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

}  // namespace morvik
