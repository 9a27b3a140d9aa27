#include "ui/ShippedIcons.h"

// Resources of a static library are registered by hand; outside any namespace.
static void registerResources() {
    Q_INIT_RESOURCE(morvik_ui);
}

namespace morvik {

namespace {

void registerOnce() {
    static const bool registered = (registerResources(), true);
    (void)registered;
}

}  // namespace

QIcon ProgramIcon() {
    registerOnce();
    // The PNG, which Qt reads itself: the SVG would have every image format plugin and the SVG
    // library loaded at start, for an icon shown at 16 to 48 pixels.
    return QIcon(QStringLiteral(":/icons/morvik-256.png"));
}

QIcon ClearTextIcon() {
    registerOnce();
    QIcon icon(QStringLiteral(":/icons/clear-16.png"));
    icon.addFile(QStringLiteral(":/icons/clear-32.png"));
    return icon;
}

}  // namespace morvik
