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
    // Made once: Qt decodes the whole picture when the icon is made, and the application and
    // every window show it. The PNG, which Qt reads itself: the SVG would have every image format
    // plugin and the SVG library loaded at start, for an icon shown at 16 to 48 pixels. Never
    // destroyed: a pixmap must not outlive the application.
    static const QIcon* const icon = [] {
        registerOnce();
        return new QIcon(QStringLiteral(":/icons/morvik-256.png"));
    }();
    return *icon;
}

QIcon ClearTextIcon() {
    static const QIcon* const icon = [] {
        registerOnce();
        auto* clear = new QIcon(QStringLiteral(":/icons/clear-16.png"));
        clear->addFile(QStringLiteral(":/icons/clear-32.png"));
        return clear;
    }();
    return *icon;
}

}  // namespace morvik
