// Draws the options dialog, filled as a practice would have it, into a PNG for docs/:
//   xvfb-run build/tools/screenshot/morvik_options_screenshot docs/options-dialog.png
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "diag/ErrorLog.h"
#include "platform/SystemClock.h"
#include "ui/OptionsDialog.h"
#include "ui/QtFolderPicker.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const std::filesystem::path programFolder = folder.path().toStdString();
    morvik::SystemClock clock;
    morvik::ErrorLog log(programFolder, clock);
    morvik::AppSettings settings = morvik::LoadAppSettings(programFolder, log);
    settings.modalityNames[2] = "Ultraschall";
    settings.sourceFolder = "\\\\praxis-server\\gdt\\eingang";
    settings.connectSource = true;
    settings.sourceDrive = "G";
    settings.targetFolder = "C:\\Bildgebung\\Auftraege";
    settings.accession = true;
    settings.accessionPrefix = "RAD";
    settings.drFactory = true;
    settings.oneFilePerPatient = true;
    settings.worklistEnabled = true;
    settings.worklistFolder = "\\\\praxis-server\\worklist\\MORVIK";
    settings.worklistModalityCodes[1] = "DX";
    settings.worklistStationAETitles[1] = "DR_RAUM1";
    settings.worklistModalityCodes[2] = "US";
    settings.worklistStationAETitles[2] = "SONO1";
    morvik::QtFolderPicker picker;
    morvik::OptionsDialog dialog(settings, programFolder, log, nullptr, picker);
    dialog.show();
    QApplication::processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
