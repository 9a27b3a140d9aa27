#include "ui/ProgramIcon.h"

#include <QImageReader>

// Resources of a static library are registered by hand; outside any namespace.
static void registerResources() {
    Q_INIT_RESOURCE(morvik_ui);
}

namespace morvik {

QIcon ProgramIcon() {
    static const bool registered = (registerResources(), true);
    (void)registered;
    // A Qt without its SVG plugin (the Windows build) draws the icon from the PNG.
    static const bool svg = QImageReader::supportedImageFormats().contains("svg");
    return QIcon(svg ? QStringLiteral(":/icons/morvik.svg")
                     : QStringLiteral(":/icons/morvik-256.png"));
}

}  // namespace morvik
