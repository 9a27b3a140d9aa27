// Draws the splash window's product picture into data/splash.ppm, the fixed image the program
// shows: a dark film with a stylised chest and the program's name. The program draws the shipped
// file instead of this code, because drawing it (two fonts of their own, smoothed curves) cost
// about a millisecond of every start. After a change here:
//   QT_QPA_PLATFORM=offscreen build/tools/screenshot/morvik_splash_picture data/splash.ppm
// The file is a binary PPM (P6) of 480x240 pixels, which the program uses without decoding.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 240;

// Top to bottom from a dark blue to almost black.
void paintFilm(QPainter& p) {
    const QColor top(18, 32, 48), bottom(6, 12, 20);
    for (int y = 0; y < kHeight; ++y) {
        const double f = (y + 0.5) / kHeight;
        auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
        p.fillRect(0, y, kWidth, 1,
                   QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                          mix(top.blue(), bottom.blue())));
    }
}

// Spine and ribs, as on a chest film.
void paintChest(QPainter& p) {
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

void paintName(QPainter& p) {
    p.setPen(QColor(235, 245, 250));
    p.setFont(QFont("Sans", 40, QFont::Bold));
    p.drawText(QRect(210, 60, 260, 70), Qt::AlignLeft | Qt::AlignVCenter, "Morvik");
    p.setFont(QFont("Sans", 12));
    p.setPen(QColor(150, 190, 215));
    p.drawText(QRect(212, 130, 260, 50), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               "Aufträge für die Bildgebung");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.ppm>\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    {
        QPainter p(&picture);
        paintFilm(p);
        paintChest(p);
        paintName(p);
    }
    if (!picture.convertToFormat(QImage::Format_RGB888).save(argv[1], "PPM")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
