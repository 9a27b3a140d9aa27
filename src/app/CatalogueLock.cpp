#include "app/CatalogueLock.h"

namespace morvik {

namespace {

// A lock against accidental changes by the front desk, not against an attacker: the
// catalogue file itself is open to anyone with access to the program folder.
constexpr std::string_view kCataloguePassword = "kolbrin";

}  // namespace

bool UnlockCatalogue(std::string_view typed, OperatorChannel& op) {
    if (typed == kCataloguePassword) return true;
    op.ShowMessage(kWrongPassword, kLoginTitle, MessageIcon::None);
    return false;
}

}  // namespace morvik
