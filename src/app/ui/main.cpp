// Sub Main: the program's entry point. Loads the main window (settings, drives, request), shows
// it with the splash, fills the catalogue list and leaves the main window on screen.
#include <QApplication>

#include "app/OrderSession.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QtOperator.h"
#include "app/ui/Splash.h"
#include "app/ui/StartUp.h"
#include "catalogue/CatalogueDatabase.h"
#include "config/ui/OptionsDialog.h"
#include "config/ui/QtFolderPicker.h"
#include "diag/Clock.h"
#include "diag/ErrorLog.h"
#include "platform/DriveConnection.h"

int main(int argc, char* argv[]) {
    using namespace morvik;
    QApplication app(argc, argv);  // also adopts the user's locale for the log's date and time
    QApplication::setApplicationName(kProgramName);

    // The program folder is where the executable lives; everything else is found from there.
    const std::filesystem::path programFolder = QCoreApplication::applicationDirPath().toStdString();
    SystemClock clock;
    ErrorLog log(programFolder, clock);
    QtOperator op;
    OrderSession session(programFolder, log, op, ConnectNetworkDrive);
    QtFolderPicker picker;

    FMain fMain(session);
    fMain.SetOptionsOpener([&] {
        FOptions options(session.Settings(), programFolder, log,
                         [&](int index, const std::string& caption) { fMain.RenameModality(index, caption); },
                         picker);
        options.exec();
    });
    FSplash splash;
    CatalogueDatabase catalogue(programFolder, log);

    SubMain(fMain, splash, catalogue, log);
    return app.exec();
}
