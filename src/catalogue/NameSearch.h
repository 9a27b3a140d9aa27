#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/BodyPartEntry.h"

namespace morvik {

// The catalogue's names in upper case, made once after the fill, so that a keystroke only
// compares prefixes.
class NameSearch {
  public:
    void Build(const std::vector<BodyPartEntry>& rows);
    // The first row (from 1) whose name starts with `text`, letter case ignored; 0 when none.
    std::size_t FirstMatch(std::string_view text) const;

  private:
    std::vector<std::string> upperNames_;
};

}  // namespace morvik
