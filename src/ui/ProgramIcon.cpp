#include "ui/ProgramIcon.h"

// Resources of a static library are registered by hand; outside any namespace.
static void registerResources() {
    Q_INIT_RESOURCE(morvik_ui);
}

namespace morvik {

QIcon ProgramIcon() {
    static const bool registered = (registerResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/icons/morvik.svg"));
}

}  // namespace morvik
