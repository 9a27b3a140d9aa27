#include "ui/ShippedIcons.h"

#include <QImageReader>
#include <QPixmap>
#include <QResource>
#include <cctype>
#include <initializer_list>
#include <optional>

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

namespace {

// The next number of a PPM header after whitespace, at most 5 digits; advances `at`.
std::optional<int> ppmNumber(QByteArrayView ppm, qsizetype& at) {
    while (at < ppm.size() && std::isspace(static_cast<unsigned char>(ppm[at]))) ++at;
    int value = 0;
    const qsizetype start = at;
    while (at < ppm.size() && at - start < 5 && std::isdigit(static_cast<unsigned char>(ppm[at])))
        value = value * 10 + (ppm[at++] - '0');
    if (at == start) return std::nullopt;
    return value;
}

}  // namespace

QImage PpmOverBytes(QByteArrayView ppm) {
    if (!ppm.startsWith("P6")) return {};
    qsizetype at = 2;
    const auto width = ppmNumber(ppm, at);
    const auto height = ppmNumber(ppm, at);
    const auto maximum = ppmNumber(ppm, at);
    // One whitespace character ends the header; the rows follow, three bytes a pixel.
    if (!width || !height || maximum != 255 || *width == 0 || *height == 0 || at >= ppm.size() ||
        !std::isspace(static_cast<unsigned char>(ppm[at]))) {
        return {};
    }
    ++at;
    const qsizetype rowBytes = qsizetype{*width} * 3;
    if (ppm.size() - at != rowBytes * *height) return {};
    return QImage(reinterpret_cast<const uchar*>(ppm.data() + at), *width, *height, rowBytes,
                  QImage::Format_RGB888);
}

QImage ShippedPicture(const QString& name) {
    registerOnce();
    const QResource resource(name);
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return {};
    return PpmOverBytes(
        QByteArrayView(reinterpret_cast<const char*>(resource.data()), resource.size()));
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
