#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/OperatorChannel.h"

namespace morvik {

class CatalogueDatabase;
class ErrorLog;

// One row of the visibility dialog: a catalogue row's name, whether it is offered, and its ID.
struct CatalogueChoiceItem {
    std::int64_t id = 0;
    std::string name;
    bool checked = false;

    bool operator==(const CatalogueChoiceItem&) const = default;
};

// The catalogue visibility dialog without its drawing: which body parts the main window offers
// from its next start on. Items live only while the dialog is open.
class CatalogueChoice {
  public:
    CatalogueChoice(CatalogueDatabase& db, ErrorLog& log, OperatorChannel& op);

    // Every catalogue row in delivery order, checked where f_Show is set. A failure stops the
    // loading; the items read so far stay.
    void Load();

    const std::vector<CatalogueChoiceItem>& Items() const { return items_; }
    void SetChecked(std::size_t item, bool checked);
    void CheckAll();
    void CheckNone();

    // Writes every item's state in one transaction. True when the dialog is to close: after the
    // write, or when the catalogue cannot be opened at all (logged, nothing written). When a
    // statement fails the catalogue is unchanged and the dialog stays open for another try.
    bool Confirm();

  private:
    CatalogueDatabase& db_;
    ErrorLog& log_;
    OperatorChannel& op_;
    std::vector<CatalogueChoiceItem> items_;
};

}  // namespace morvik
