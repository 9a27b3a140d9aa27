#include "app/CatalogueChoice.h"

#include <utility>

#include "catalogue/CatalogueDatabase.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"

namespace morvik {

CatalogueChoice::CatalogueChoice(CatalogueDatabase& db, ErrorLog& log, OperatorChannel& op)
    : db_(db), log_(log), op_(op) {}

void CatalogueChoice::Load() {
    trap(log_, trapname::CatalogueChoiceLoad, [&] {
        items_.clear();
        db_.Open();
        db_.ForEachRow([&](const CatalogueRow& row) {
            op_.ProcessEvents();
            items_.push_back({row.id, row.name, row.show});
        });
        db_.Close();
    });
}

void CatalogueChoice::SetChecked(std::size_t item, bool checked) {
    items_.at(item).checked = checked;
}

void CatalogueChoice::CheckAll() {
    for (auto& item : items_) item.checked = true;
}

void CatalogueChoice::CheckNone() {
    for (auto& item : items_) item.checked = false;
}

bool CatalogueChoice::Confirm() {
    bool opened = true;
    // The name of this trap is read by support staff as it has always been spelled.
    const bool written = trap(log_, trapname::CatalogueChoiceOk, [&] {
        std::vector<std::pair<std::int64_t, bool>> flags;
        flags.reserve(items_.size());
        for (const auto& item : items_) flags.emplace_back(item.id, item.checked);
        db_.Open();
        opened = db_.IsOpen();
        db_.SetShowFlags(flags);
        db_.Close();
    });
    // A catalogue that cannot be opened will not open at the next OK either: the dialog closes
    // rather than holding the operator, and the log says why nothing was saved.
    return written || !opened;
}

}  // namespace morvik
