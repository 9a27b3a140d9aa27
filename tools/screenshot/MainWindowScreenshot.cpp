// Draws the main window with the demo patient and two added body parts into a PNG for docs/,
// as a 1366x768 screen at 100 % and a 1920x1080 screen at 150 % show it:
//   xvfb-run -s "-screen 0 1366x768x24" build/tools/screenshot/morvik_main_screenshot
//   docs/main-window.png
//   QT_SCALE_FACTOR=1.5 xvfb-run -s "-screen 0 1920x1080x24"
//   build/tools/screenshot/morvik_main_screenshot docs/main-window-150.png
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "diag/ErrorLog.h"
#include "main/StartUp.h"
#include "platform/SystemClock.h"
#include "ui/MainWindow.h"
#include "ui/QtOperatorChannel.h"
#include "ui/Splash.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir folder;
    namespace fs = std::filesystem;
    const fs::path program = folder.path().toStdString();
    fs::create_directory(program / "inbox");
    fs::create_directory(program / "outbox");
    fs::copy_file(MORVIK_CATALOGUE_DB, program / "Bodypart.mdb");
    fs::copy_file(MORVIK_DEMO_REQUEST, program / "inbox" / "demo-request.gdt");
    {
        std::FILE* ini = std::fopen((program / "Settings.ini").c_str(), "wb");
        std::fprintf(ini,
                     "[GDTService]\r\nModalitaet2=Ultraschall\r\nModalitaet3=CT\r\n"
                     "Modalitaet4=MRT\r\nModalitaet5=Mammographie\r\nGDTQuell=%s\r\nGDTZiel=%s\r\n"
                     "Kuerzel=MK\r\n",
                     (program / "inbox").c_str(), (program / "outbox").c_str());
        std::fclose(ini);
    }

    using namespace morvik;
    SystemClock clock;
    ErrorLog log(program, clock);
    QtOperatorChannel op;
    OrderSession session(program, log, op, nullptr);
    MainWindow window(session);
    Splash splash;
    CatalogueDatabase catalogue(program, log);
    if (!StartProgram(window, splash, catalogue, log)) return 1;
    auto* search = window.findChild<QLineEdit*>("txtSearch");
    for (const char* part : {"Knie links", "Thorax p.a."}) {
        search->setText(QString::fromUtf8(part));
        session.AddFoundBodyPart();
    }
    search->setText(QStringLiteral("Hand"));
    window.findChild<QLineEdit*>("txtComment")->setText(QStringLiteral("bitte stehend"));
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
