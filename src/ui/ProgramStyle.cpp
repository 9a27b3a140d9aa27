#include "ui/ProgramStyle.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QGroupBox>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>

#include "ui/ShippedIcons.h"

namespace morvik {

namespace {

const char* const kFusion = "fusion";

// Fusion's own frame picture, from Qt's resources.
const QPixmap& groupBoxFrame() {
    // Never destroyed: a pixmap must not outlive the application.
    static const QPixmap* const frame = new QPixmap(
        PngWithoutGuessing(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
    return *frame;
}

}  // namespace

ProgramStyle::ProgramStyle() : QProxyStyle(QStyleFactory::create(kFusion)) {}

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    // The menu bar asks for it when it is made, to show when the menus do not fit. The same
    // arrow as Qt's small picture, which Qt keeps in its code rather than in a file.
    if (icon == SP_ToolBarHorizontalExtensionButton) {
        const QPixmap arrow = standardPixmap(icon, option, widget);
        if (!arrow.isNull()) return QIcon(arrow);
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void ProgramStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    if (element != PE_FrameGroupBox || groupBoxFrame().isNull()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // As Fusion draws it (Qt 6.4): the picture's border stretched around the box, below the
    // title when there is one.
    const int belowTitle = 3;
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    const int top = box && !box->isCheckable() && box->title().isEmpty()
                        ? belowTitle
                        : std::max(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight),
                                   option->fontMetrics.height()) +
                              belowTitle;
    qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6),
                      groupBoxFrame());
}

void UseProgramStyle() {
    QStyle* style = QApplication::style();
    if (dynamic_cast<ProgramStyle*>(style) == nullptr &&
        style->name().compare(kFusion, Qt::CaseInsensitive) == 0) {
        QApplication::setStyle(new ProgramStyle);
    }
}

}  // namespace morvik
