#include "ui/ShippedIcons.h"

#include <QImageReader>
#include <QPixmap>
#include <initializer_list>

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

QIcon shippedIcon(std::initializer_list<const char*> names) {
    registerOnce();
    QIcon icon;
    for (const char* name : names) icon.addPixmap(PngWithoutGuessing(QString::fromLatin1(name)));
    return icon;
}

}  // namespace

QPixmap PngWithoutGuessing(const QString& name) {
    QImageReader reader(name, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon ProgramIcon() {
    // PNGs, which Qt reads itself: the SVG would have every image format plugin and the SVG
    // library loaded at start. At the sizes a window icon is shown (16 to 64 pixels): Qt decodes
    // every picture of an icon when it is made, and the 256-pixel one cost a tenth of the start.
    // Made once, since the application and every window show it; never destroyed, since a
    // pixmap must not outlive the application.
    static const QIcon* const icon =
        new QIcon(shippedIcon({":/icons/morvik-32.png", ":/icons/morvik-64.png"}));
    return *icon;
}

QIcon ClearTextIcon() {
    static const QIcon* const icon =
        new QIcon(shippedIcon({":/icons/clear-16.png", ":/icons/clear-32.png"}));
    return *icon;
}

}  // namespace morvik
