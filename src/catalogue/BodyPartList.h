#pragma once

#include <cstddef>
#include <vector>

#include "base/BodyPartEntry.h"

namespace morvik {

// The rows of one body-part list as the main window shows them: numbered from 1, kept in the
// order they were appended, one selected row at most (0 = none), an enabled flag.
// A row or column number outside the list throws AppError 9.
class BodyPartList {
  public:
    std::size_t Count() const { return rows_.size(); }
    const BodyPartEntry& Row(std::size_t row) const;
    const std::string& Cell(std::size_t row, int column) const;  // columns 1 to 3
    const std::vector<BodyPartEntry>& Rows() const { return rows_; }

    void Append(BodyPartEntry entry);
    void AppendAll(std::vector<BodyPartEntry> entries);
    void Remove(std::size_t row);
    void Clear();

    std::size_t Selected() const { return selected_; }
    void Select(std::size_t row);
    void Deselect() { selected_ = 0; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

  private:
    void check(std::size_t row) const;

    std::vector<BodyPartEntry> rows_;
    std::size_t selected_ = 0;
    bool enabled_ = true;
};

}  // namespace morvik
