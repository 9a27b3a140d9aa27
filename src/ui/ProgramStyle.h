#pragma once

#include <QProxyStyle>

namespace morvik {

// Qt's Fusion style as it is, except for the two pictures Fusion reads from files while the
// main window is built and first drawn: the arrow of the menu bar's overflow button and the
// frame of a group box. Fusion has Qt guess their format, which loads every image format plugin
// (with the SVG and JPEG libraries) during each start; here the same pictures come without a
// guess. Installed only where Fusion is the application's style (Linux without a desktop style);
// any other style is left alone.
class ProgramStyle : public QProxyStyle {
  public:
    ProgramStyle();

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};

// Puts ProgramStyle in place when the application's style is Fusion.
void UseProgramStyle();

}  // namespace morvik
