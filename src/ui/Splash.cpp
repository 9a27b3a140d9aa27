#include "ui/Splash.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QVBoxLayout>

#include "Version.h"

namespace morvik {

namespace {

// The product picture, drawn rather than shipped: a dark film with a stylised chest and the
// program's name.
QPixmap productPicture() {
    QPixmap picture(480, 240);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient film(0, 0, 0, 240);
    film.setColorAt(0, QColor(18, 32, 48));
    film.setColorAt(1, QColor(6, 12, 20));
    p.fillRect(picture.rect(), film);

    // Ribs and spine, as on a chest film
    QPen bone(QColor(200, 225, 240, 200), 5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(bone);
    p.drawLine(110, 40, 110, 200);
    for (int i = 0; i < 6; ++i) {
        int y = 55 + i * 24;
        QPainterPath left, right;
        left.moveTo(106, y);
        left.quadTo(50, y - 10, 40, y + 26);
        right.moveTo(114, y);
        right.quadTo(170, y - 10, 180, y + 26);
        p.drawPath(left);
        p.drawPath(right);
    }

    p.setPen(QColor(235, 245, 250));
    QFont title("Sans", 40, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(210, 60, 260, 70), Qt::AlignLeft | Qt::AlignVCenter, "Morvik");
    QFont sub("Sans", 12);
    p.setFont(sub);
    p.setPen(QColor(150, 190, 215));
    p.drawText(QRect(212, 130, 260, 50), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               "Aufträge für die Bildgebung");
    return picture;
}

}  // namespace

QString Splash::VersionText(int major, int minor, int revision) {
    return QString("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

Splash::Splash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
    setObjectName("frmSplash");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    pictureLabel_ = new QLabel;
    pictureLabel_->setObjectName("picSplash");
    pictureLabel_->setPixmap(productPicture());
    progressBar_ = new QProgressBar;
    progressBar_->setObjectName("prgStatus");
    progressBar_->setAccessibleName("Katalog wird geladen");
    progressBar_->setMinimum(0);
    progressBar_->setMaximum(0);
    progressBar_->setTextVisible(false);
    versionLabel_ = new QLabel(VersionText(kVersionMajor, kVersionMinor, kVersionRevision));
    versionLabel_->setObjectName("lblVersion");
    versionLabel_->setAlignment(Qt::AlignRight);
    layout->addWidget(pictureLabel_);
    layout->addWidget(progressBar_);
    layout->addWidget(versionLabel_);
    setFixedSize(sizeHint());
}

}  // namespace morvik
