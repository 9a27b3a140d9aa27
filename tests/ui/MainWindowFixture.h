#pragma once
// The main window as the program starts it, on a program folder with "in" and "out" folders. The
// operator records each message box beside what the window showed at that moment.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/ProgramFolder.h"
#include "support/SettingsFile.h"
#include "ui/MainWindow.h"
#include "ui/Splash.h"

namespace morvik::test {

// Every cell of a list as a screen reader reads it: through the view's accessible table.
inline QStringList ReadAloud(QTreeView* view) {
    QApplication::processEvents();  // as a screen reader would, after the window had its turn
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
    if (!table) return {"<no accessible table>"};
    QStringList cells;
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            QAccessibleInterface* cell = table->cellAt(r, c);
            cells << (cell ? cell->text(QAccessible::Name) : QString("<none>"));
        }
    }
    return cells;
}

class ShotOperator final : public OperatorChannel {
  public:
    // A message box and the ID, the name and the added list on screen as it was shown.
    struct Shot {
        std::string text;
        QString id, name;
        QStringList added;
    };
    void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
        shots.push_back({text, window->findChild<QLabel*>("lblID")->text(),
                         window->findChild<QLabel*>("lblName")->text(),
                         ReadAloud(window->findChild<QTreeView*>("lvAddBodyparts"))});
    }
    void ProcessEvents() override {}
    QWidget* window = nullptr;
    std::vector<Shot> shots;
};

class MainWindowFixture : public ::testing::Test, protected ProgramFolder {
  protected:
    MainWindowFixture() {
        std::filesystem::create_directory(in);
        std::filesystem::create_directory(out);
        op.window = &window;
        // The folder watch looks only when a test says so: a tick mid-test would show a request
        // the test means to find by confirming.
        window.findChild<QTimer*>("tmrQuellordner")->setInterval(24 * 3600 * 1000);
    }
    // Settings.ini names the folders, `more` adds keys; no rows: no catalogue file.
    bool start(const std::vector<CatalogueRow>& rows, const std::string& more = "") {
        test::WriteSettings(program.path(), in, out, more);
        if (!rows.empty()) MakeCatalogue(program.path(), rows);
        return StartProgram(window, splash, catalogue, log);
    }
    template <class T>
    T* find(const char* name) {
        return window.findChild<T*>(name);
    }

    const std::filesystem::path in = program / "in", out = program / "out";
    ShotOperator op;
    OrderSession session{program.path(), log, op, nullptr};
    MainWindow window{session};
    Splash splash;
    CatalogueDatabase catalogue{program.path(), log};
};

}  // namespace morvik::test
