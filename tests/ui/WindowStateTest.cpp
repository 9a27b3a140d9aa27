// The window shows the session's state before every message and after every change, and what it
// shows can be read through the accessibility interface at any moment without a crash.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "diag/ErrorLog.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/ProgramFolder.h"
#include "ui/MainWindow.h"
#include "ui/QtTranslation.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

using test::WriteBytes;

const char* const kNotFound = "GDT-File wurde nicht gefunden.";
const char* const kNewRequest =
    "Neue Anforderung geladen. Bitte prüfen Sie den Patienten und bestätigen Sie erneut.";

// Every cell of a list as a screen reader reads it: through the view's accessible table.
QStringList readAloud(QTreeView* view) {
    QApplication::processEvents();  // as a screen reader would, after the window had its turn
    QStringList cells;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
    if (!table) return {"<no accessible table>"};
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            QAccessibleInterface* cell = table->cellAt(r, c);
            cells << (cell ? cell->text(QAccessible::Name) : QString("<none>"));
        }
    }
    return cells;
}

QStringList cellsOf(const BodyPartList& list) {
    QStringList cells;
    for (const BodyPartEntry& e : list.Rows()) {
        cells << QString::fromStdString(e.name) << QString::fromStdString(e.abbreviation)
              << QString::fromStdString(e.factoryCode);
    }
    return cells;
}

// What the window displays at the moment a message box is shown.
struct Snapshot {
    std::string text;
    QString id, name;
    QStringList added;
};

class SnapshotOperator final : public Operator {
  public:
    void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
        if (!window) return;
        shots.push_back({text, window->findChild<QLabel*>("lblID")->text(),
                         window->findChild<QLabel*>("lblName")->text(),
                         readAloud(window->findChild<QTreeView*>("lvAddBodyparts"))});
    }
    void ProcessEvents() override {}
    QWidget* window = nullptr;
    std::vector<Snapshot> shots;
};

class WindowStateTest : public ::testing::Test, protected test::ProgramFolder {
  protected:
    WindowStateTest() {
        std::filesystem::create_directory(program / "in");
        std::filesystem::create_directory(program / "out");
        WriteBytes(program / "Settings.ini",
                   "[GDTService]\r\nGDTQuell=" + (program / "in").string() +
                       "\r\nGDTZiel=" + (program / "out").string() + "\r\nKuerzel=AB\r\n");
        op.window = &window;
        test::MakeCatalogue(program.path(), {{1, "Becken", true, "BEC", "B01"},
                                             {2, "Knie links", true, "KNL", "K01"}});
    }
    void request(const std::string& id, const std::string& name) {
        WriteBytes(program / "in" / "a.gdt",
                   "013"
                   "3000" +
                       id + "\r\n0" + std::to_string(9 + name.size()) + "3101" + name + "\r\n");
    }
    void start() { ASSERT_TRUE(SubMain(window, splash, catalogue, log)); }
    template <class T>
    T* find(const char* name) {
        return window.findChild<T*>(name);
    }
    void expectListsShown() {
        EXPECT_EQ(readAloud(find<QTreeView>("lvAddBodyparts")), cellsOf(session.Added()));
        EXPECT_EQ(readAloud(find<QTreeView>("lvBodyparts")), cellsOf(session.Catalogue()));
    }

    SnapshotOperator op;
    OrderSession session{program.path(), log, op, nullptr};
    FMain window{session};
    FSplash splash;
    CatalogueDatabase catalogue{program.path(), log};
};

TEST_F(WindowStateTest, EveryBoxStandsBesideThePatientItSpeaksOf) {
    start();                                                           // no request yet
    QTest::mouseClick(find<QRadioButton>("optMod0"), Qt::LeftButton);  // Scan: OK is enabled
    auto confirm = [&] { find<QPushButton>("cmdOK")->click(); };
    request("222", "Berta");
    confirm();
    request("999", "Gerd");  // rewritten by the practice system while Berta is shown
    confirm();
    std::filesystem::remove(program / "in" / "a.gdt");  // vanished: forgotten
    confirm();
    request("999", "Gerd");  // and the next confirmation searches again
    confirm();

    std::vector<std::vector<QString>> seen;
    for (const Snapshot& s : op.shots) {
        seen.push_back({QString::fromStdString(s.text), s.id, s.name});
    }
    const std::vector<std::vector<QString>> expected = {{kNotFound, "ID:", "Name:"},
                                                        {kNewRequest, "ID: 222", "Name: Berta"},
                                                        {kNewRequest, "ID: 999", "Name: Gerd"},
                                                        {kNotFound, "ID:", "Name:"},
                                                        {kNewRequest, "ID: 999", "Name: Gerd"}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(test::FileNames(program / "out").empty());
}

TEST_F(WindowStateTest, ListsReadAloudAsTheSessionHoldsThemAfterEveryChange) {
    request("471", "Muster");
    // Out-of-range reads answer nothing, and every change is announced as Qt expects.
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    for (auto* view : window.findChildren<QTreeView*>()) {
        testers.push_back(std::make_unique<QAbstractItemModelTester>(
            view->model(), QAbstractItemModelTester::FailureReportingMode::Warning));
    }
    static QStringList modelWarnings;
    modelWarnings.clear();
    auto previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& message) {
            if (QByteArray(context.category) == "qt.modeltest") modelWarnings << message;
        });
    start();
    expectListsShown();
    auto* catalogueList = find<QTreeView>("lvBodyparts");
    auto* added = find<QTreeView>("lvAddBodyparts");
    const std::vector<std::function<void()>> steps = {
        [&] { QTest::keyClicks(find<QLineEdit>("txtSearch"), "b"); },
        [&] { QTest::keyClick(find<QLineEdit>("txtSearch"), Qt::Key_Return); },
        [&] { QTest::keyClick(find<QLineEdit>("txtSearch"), Qt::Key_Return); },
        [&] { QTest::mouseClick(find<QRadioButton>("optMod0"), Qt::LeftButton); },  // Scan empties
        [&] { QTest::mouseClick(find<QRadioButton>("optMod1"), Qt::LeftButton); },
        [&] {
            catalogueList->setFocus();
            QTest::keyClick(catalogueList, Qt::Key_Return);
        },
        [&] {
            QRect rect = added->visualRect(added->model()->index(0, 0));
            QTest::mouseClick(added->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(added->viewport(), Qt::LeftButton, {}, rect.center());
        },
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        steps[i]();
        expectListsShown();
    }
    EXPECT_EQ(session.Added().Count(), 0u);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(modelWarnings.isEmpty()) << modelWarnings.join('\n').toStdString();
}

TEST_F(WindowStateTest, FitsSmallScreensWithItsIconAndQtInGerman) {
    request("471", "Muster");
    start();
    // 1366x768 at 100 % and 1920x1080 at 150 % leave about 1280x680 for the window.
    const QSize least = window.minimumSizeHint();
    EXPECT_LE(least.width(), 1280);
    EXPECT_LE(least.height(), 680);
    find<QLabel>("lblQuellNetz")->setText("Quellnetzlaufwerk ist verbunden");
    find<QLabel>("lblZielNetz")->setText("Zielnetzlaufwerk ist verbunden");
    window.resize(least);
    QApplication::processEvents();
    auto* kuerzel = find<QLineEdit>("txtKuerzel");
    EXPECT_GE(kuerzel->width(), kuerzel->fontMetrics().horizontalAdvance("MMMM"));
    auto* ok = find<QPushButton>("cmdOK");
    EXPECT_TRUE(window.rect().contains(QRect(ok->mapTo(&window, QPoint()), ok->size())));

    EXPECT_FALSE(window.windowIcon().pixmap(32).isNull());
    const auto german = InstallQtGerman();
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
}

}  // namespace
}  // namespace morvik
