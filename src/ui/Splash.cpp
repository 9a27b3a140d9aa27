#include "ui/Splash.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "Version.h"
#include "ui/ShippedIcons.h"

namespace morvik {

namespace {

// The product picture: a fixed image of a dark film with a stylised chest and the program's name,
// drawn by tools/screenshot/SplashPicture.cpp into data/splash.ppm. Drawing it here (two fonts of
// its own, smoothed curves) cost about a millisecond of every start, and decoding a compressed
// file more than that; the PPM is taken from the program's bytes as it is and converted once, on
// this thread, to the window's pixel format (drawn as RGB, Qt converts it on its pool of threads).
class ProductPicture : public QWidget {
  public:
    ProductPicture()
        : picture_(ShippedPicture(":/pictures/splash.ppm").convertToFormat(QImage::Format_RGB32)) {
        setObjectName("picSplash");
        setFixedSize(kWidth, kHeight);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        try {
            QPainter p(this);
            if (picture_.size() == size()) {
                p.drawImage(0, 0, picture_);
            } else {
                p.fillRect(rect(), QColor(12, 22, 34));  // the film's colour, without the picture
            }
        } catch (...) {
            // A picture not drawn leaves the start as it is.
        }
    }

  private:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 240;
    const QImage picture_;
};

// prgStatus: a flat bar, drawn with three opaque fills. The style's bar (rounded corners,
// gradients, and an animation while the count is not yet known) cost about a millisecond of every
// start, drawn afresh for each value the start gives it.
class SplashProgressBar : public QProgressBar {
  protected:
    void paintEvent(QPaintEvent*) override {
        try {
            QPainter p(this);
            p.fillRect(rect(), palette().color(QPalette::Mid));
            const QRect groove = rect().adjusted(1, 1, -1, -1);
            p.fillRect(groove, palette().color(QPalette::Base));
            const qint64 span = qint64(maximum()) - minimum();
            const qint64 done = qint64(value()) - minimum();
            if (span > 0 && done > 0) {
                const auto width = static_cast<int>(groove.width() * std::min(done, span) / span);
                p.fillRect(groove.x(), groove.y(), width, groove.height(),
                           palette().color(QPalette::Highlight));
            }
        } catch (...) {
            // A bar not drawn leaves the start as it is.
        }
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
    progressBar_ = new SplashProgressBar;
    progressBar_->setObjectName("prgStatus");
    progressBar_->setAccessibleName("Katalog wird geladen");
    progressBar_->setRange(0, 0);
    // Already at 0 when it is first drawn: the start sets 0 once the splash is on the screen, and
    // a change then would be drawn at once, waiting for the window system to finish the last frame.
    progressBar_->setValue(0);
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
