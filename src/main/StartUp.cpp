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

bool StartProgram(MainWindow& window, Splash& splash, CatalogueDatabase& catalogue, ErrorLog& log) {
    bool started = trap(log, trapname::StartUp, [&] {
        window.Load();
        window.show();
        splash.show();
        splash.Progress()->setValue(0);
        window.SetUpColumns();
        if (window.TakeOverCatalogue()) {
            catalogue.Open();
            std::vector<BodyPartEntry> rows = catalogue.ShownBodyParts();
            const int count = static_cast<int>(std::min<std::size_t>(rows.size(), INT_MAX));
            splash.Progress()->setMaximum(count);
            QCoreApplication::processEvents();  // let the splash paint before the fill
            window.FillCatalogue(std::move(rows));
            splash.Progress()->setValue(count);
            catalogue.Close();
        }
        splash.close();
        window.show();
        window.activateWindow();
        window.TellCatalogueTakeOver();
    });
    if (!started) {
        if (catalogue.IsOpen()) catalogue.Close();
        splash.close();
        window.show();
        window.activateWindow();
    }
    return started;
}

}  // namespace morvik
