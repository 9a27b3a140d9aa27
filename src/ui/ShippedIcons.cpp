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
    // PNGs, which Qt reads itself: the SVG would have every image format plugin and the SVG
    // library loaded at start. At the sizes a window icon is shown (16 to 64 pixels): Qt decodes
    // every picture of an icon when it is made, and the 256-pixel one cost a tenth of the start.
    // Made once, since the application and every window show it; never destroyed, since a
    // pixmap must not outlive the application.
    static const QIcon* const icon = [] {
        registerOnce();
        auto* program = new QIcon(QStringLiteral(":/icons/morvik-32.png"));
        program->addFile(QStringLiteral(":/icons/morvik-64.png"));
        return program;
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
