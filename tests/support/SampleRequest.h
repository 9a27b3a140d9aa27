#pragma once

#include <string>

namespace morvik::test {

// A request as a practice system writes it: patient 471, Muster Erika, CR LF lines.
inline const std::string kMusterErika =
    "01380006301\r\n0133000471\r\n0153101Muster\r\n0143102Erika\r\n";

}  // namespace morvik::test
