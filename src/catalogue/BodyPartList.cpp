#include "catalogue/BodyPartList.h"

#include "base/AppError.h"
#include "base/ErrorNumbers.h"

namespace morvik {

void BodyPartList::check(std::size_t row) const {
    if (row < 1 || row > rows_.size()) {
        throw AppError(err::OutOfRange,
                       "Zeile " + std::to_string(row) + " gibt es in der Liste nicht");
    }
}

const BodyPartEntry& BodyPartList::Row(std::size_t row) const {
    check(row);
    return rows_[row - 1];
}

const std::string& BodyPartList::Cell(std::size_t row, int column) const {
    const BodyPartEntry& entry = Row(row);
    switch (column) {
        case 1:
            return entry.name;
        case 2:
            return entry.abbreviation;
        case 3:
            return entry.factoryCode;
        default:
            throw AppError(err::OutOfRange, "Spalte " + std::to_string(column) + " gibt es nicht");
    }
}

void BodyPartList::Append(BodyPartEntry entry) {
    rows_.push_back(std::move(entry));
}

void BodyPartList::AppendAll(std::vector<BodyPartEntry> entries) {
    if (rows_.empty()) {
        rows_ = std::move(entries);
    } else {
        rows_.insert(rows_.end(), std::make_move_iterator(entries.begin()),
                     std::make_move_iterator(entries.end()));
    }
}

void BodyPartList::Remove(std::size_t row) {
    check(row);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row - 1));
    if (selected_ == row) {
        selected_ = 0;
    } else if (selected_ > row) {
        --selected_;
    }
}

void BodyPartList::Clear() {
    rows_.clear();
    selected_ = 0;
}

void BodyPartList::Select(std::size_t row) {
    check(row);
    selected_ = row;
}

void BodyPartList::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) selected_ = 0;  // a disabled list takes no selection
}

}  // namespace morvik
