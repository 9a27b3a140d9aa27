// Sub Main: the program's entry point. Loads the main window (settings, drives, request), shows
// it with the splash, fills the catalogue list and leaves the main window on screen.
#include <QApplication>
#include <iostream>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "diag/ErrorLog.h"
#include "main/CommandLine.h"
#include "main/StartUp.h"
#include "platform/DriveConnection.h"
#include "platform/FileSystem.h"
#include "platform/SystemClock.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/ProgramStyle.h"
#include "ui/QtFolderPicker.h"
#include "ui/QtOperatorChannel.h"
#include "ui/QtTranslation.h"
#include "ui/ShippedIcons.h"
#include "ui/Splash.h"

int main(int argc, char* argv[]) {
    using namespace morvik;
    // --help and --version answer before the window system is asked for a display; any other
    // argument is ignored.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (auto status = AnswerCommandLine(arguments, std::cout)) return *status;

    QApplication app(argc, argv);  // also adopts the user's locale for the log's date and time
    QApplication::setApplicationName(kProgramName);
    UseProgramStyle();
    QApplication::setWindowIcon(ProgramIcon());
    // Ties the windows to the desktop entry, named after the AppStream id.
    QGuiApplication::setDesktopFileName("de.morvik.Morvik");
    const auto qtGerman = InstallQtGerman();  // the folder chooser and context menus in German

    // The program folder is where the executable lives; everything else is found from there.
    const std::filesystem::path programFolder =
        PathFromUtf8(QCoreApplication::applicationDirPath().toStdString());
    SystemClock clock;
    ErrorLog log(programFolder, clock);
    QtOperatorChannel op;
    OrderSession session(programFolder, log, op, ConnectNetworkDrive);
    QtFolderPicker picker;

    MainWindow window(session);
    window.SetOptionsOpener([&] {
        OptionsDialog options(
            session.Settings(), programFolder, log,
            [&](int index, const std::string& caption) { window.RenameModality(index, caption); },
            picker);
        options.exec();
    });
    Splash splash;
    CatalogueDatabase catalogue(programFolder, log);

    StartProgram(window, splash, catalogue, log);
    return app.exec();
}
