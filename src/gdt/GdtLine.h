#pragma once

#include <string>
#include <string_view>

namespace morvik {

// Longest content one GDT line can carry: 990 bytes + 9 = 999, the largest three-digit length.
inline constexpr std::size_t kMaxGdtContent = 990;

// One GDT line as ANSI bytes: three-digit length, field identifier, content, CR LF. The length
// counts the bytes after encoding (an umlaut is one byte) and assumes a four-character field.
// Empty content gives the empty string, so an empty field leaves no line in the file.
//
// Content that would break the file apart is made safe here: it is split at CR, LF or CR LF,
// and into pieces of at most 990 bytes, each piece becoming a line of the same field. Empty
// pieces give no line. Nothing is cut off.
std::string CreateGDTLine(std::string_view fieldId, std::string_view content);

// The 36-character order identifier: 8-4-4-4-12 uppercase hex digits of a fresh GUID, the
// bytes in the order Windows stores them.
std::string CreateGUID();

}  // namespace morvik
