#include "main/StartUp.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <algorithm>
#include <climits>

#include "catalogue/CatalogueDatabase.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "ui/MainWindow.h"
#include "ui/Splash.h"

namespace morvik {

bool SubMain(MainWindow& fMain, Splash& splash, CatalogueDatabase& catalogue, ErrorLog& log) {
    bool started = trap(log, trapname::StartUp, [&] {
        fMain.Load();
        fMain.show();
        splash.show();
        splash.Progress()->setValue(0);
        fMain.SetUpColumns();
        if (fMain.TakeOverCatalogue()) {
            catalogue.Open();
            std::vector<BodyPartEntry> rows = catalogue.ShownBodyParts();
            const int count = static_cast<int>(std::min<std::size_t>(rows.size(), INT_MAX));
            splash.Progress()->setMaximum(count);
            QCoreApplication::processEvents();  // let the splash paint before the fill
            fMain.FillCatalogue(std::move(rows));
            splash.Progress()->setValue(count);
            catalogue.Close();
        }
        splash.close();
        fMain.show();
        fMain.activateWindow();
        fMain.TellCatalogueTakeOver();
    });
    if (!started) {
        if (catalogue.IsOpen()) catalogue.Close();
        splash.close();
        fMain.show();
        fMain.activateWindow();
    }
    return started;
}

}  // namespace morvik
