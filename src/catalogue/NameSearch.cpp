#include "catalogue/NameSearch.h"

#include "base/Text.h"

namespace morvik {

void NameSearch::Build(const std::vector<BodyPartEntry>& rows) {
    upperNames_.clear();
    upperNames_.reserve(rows.size());
    for (const auto& row : rows) upperNames_.push_back(UpperCase(row.name));
}

std::size_t NameSearch::FirstMatch(std::string_view text) const {
    std::string wanted = UpperCase(text);
    for (std::size_t i = 0; i < upperNames_.size(); ++i) {
        if (std::string_view(upperNames_[i]).starts_with(wanted)) return i + 1;
    }
    return 0;
}

}  // namespace morvik
