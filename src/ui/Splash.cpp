#include "ui/Splash.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QVBoxLayout>
#include <cmath>

#include "Version.h"

namespace morvik {

namespace {

// The product picture, drawn where it is shown: a dark film with a stylised chest and the
// program's name. A start pays for every step here, so it is drawn straight onto the window
// (no picture of its own to fill and copy) and only with calls that Qt's raster engine finishes
// on this thread: the film as bands of one colour each instead of a gradient brush, the bones in
// one opaque colour. A gradient or a translucent stroke of this size is handed to Qt's pool of
// threads, whose start cost more than the whole picture.
class ProductPicture : public QWidget {
  public:
    ProductPicture() {
        setObjectName("picSplash");
        setFixedSize(kWidth, kHeight);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        try {
            QPainter p(this);
            paintFilm(p);
            paintChest(p);
            paintName(p);
        } catch (...) {
            // A picture not drawn leaves the start as it is.
        }
    }

  private:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 240;

    // Top to bottom from a dark blue to almost black; rows of the same colour filled at once.
    static void paintFilm(QPainter& p) {
        const QColor top(18, 32, 48), bottom(6, 12, 20);
        auto rowColor = [&](int y) {
            const double f = (y + 0.5) / kHeight;
            auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
            return QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                          mix(top.blue(), bottom.blue()));
        };
        int bandStart = 0;
        for (int y = 1; y <= kHeight; ++y) {
            if (y < kHeight && rowColor(y) == rowColor(bandStart)) continue;
            p.fillRect(0, bandStart, kWidth, y - bandStart, rowColor(bandStart));
            bandStart = y;
        }
    }

    // Spine and ribs, as on a chest film.
    static void paintChest(QPainter& p) {
        const QColor bone(159, 181, 196);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(bone, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(110, 40, 110, 200);
        for (int i = 0; i < 6; ++i) {
            const int y = 55 + i * 24;
            QPainterPath ribs;
            ribs.moveTo(106, y);
            ribs.quadTo(50, y - 10, 40, y + 26);
            ribs.moveTo(114, y);
            ribs.quadTo(170, y - 10, 180, y + 26);
            p.drawPath(ribs);
        }
    }

    static void paintName(QPainter& p) {
        p.setPen(QColor(235, 245, 250));
        p.setFont(QFont("Sans", 40, QFont::Bold));
        p.drawText(QRect(210, 60, 260, 70), Qt::AlignLeft | Qt::AlignVCenter, "Morvik");
        p.setFont(QFont("Sans", 12));
        p.setPen(QColor(150, 190, 215));
        p.drawText(QRect(212, 130, 260, 50), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   "Aufträge für die Bildgebung");
    }
};

}  // namespace

QString Splash::VersionText(int major, int minor, int revision) {
    return QString("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

Splash::Splash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
    setObjectName("frmSplash");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    progressBar_ = new QProgressBar;
    progressBar_->setObjectName("prgStatus");
    progressBar_->setAccessibleName("Katalog wird geladen");
    progressBar_->setMinimum(0);
    progressBar_->setMaximum(0);
    progressBar_->setTextVisible(false);
    versionLabel_ = new QLabel(VersionText(kVersionMajor, kVersionMinor, kVersionRevision));
    versionLabel_->setObjectName("lblVersion");
    versionLabel_->setAlignment(Qt::AlignRight);
    layout->addWidget(new ProductPicture);
    layout->addWidget(progressBar_);
    layout->addWidget(versionLabel_);
    setFixedSize(sizeHint());
}

}  // namespace morvik
