#pragma once

#include <string>

namespace morvik {

// One body part as the lists hold it and as it goes into an order. Any text may be empty.
struct BodyPartEntry {
    std::string name;          // f_Name, the visible column
    std::string abbreviation;  // f_Konica, the hidden column "Abk"
    std::string factoryCode;   // f_Factory, the hidden column "Factory"

    bool operator==(const BodyPartEntry&) const = default;
};

}  // namespace morvik
