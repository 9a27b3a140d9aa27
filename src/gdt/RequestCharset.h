#pragma once

#include <string_view>

#include "platform/CodePage.h"

namespace morvik {

// The character set a request declares for itself in field 9206 (GDT: 1 = 7-bit German,
// DIN 66003; 2 = IBM code page 437; 3 = ISO 8859-1). Without the field, or with a value this
// program does not know, the text is taken as ANSI, as it always was. The first 9206 line counts.
Charset DeclaredCharset(std::string_view requestText);

}  // namespace morvik
