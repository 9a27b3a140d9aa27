// The main window shows the session's state before every message and after every change, can be
// read through the accessibility interface at any moment, and can be driven by keyboard.
#include <QAbstractItemModelTester>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QProgressBar>
#include <QStyleFactory>
#include <QToolButton>
#include <memory>
#include <set>

#include "JetWriter.h"
#include "catalogue/JetTable.h"
#include "support/Fakes.h"
#include "ui/LoginDialog.h"
#include "ui/MainWindowFixture.h"
#include "ui/OptionsDialog.h"
#include "ui/ProgramStyle.h"
#include "ui/QtTranslation.h"
#include "ui/SelectBodypartsDialog.h"
#include "ui/ShippedIcons.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

using test::ReadAloud;
using test::WriteBytes;

class MainWindowTest : public test::MainWindowFixture {};

const std::vector<CatalogueRow> kRows = {
    {1, "Knie links", true, "KNL", "K01"}, {2, "Becken", true, "BEC", "B01"},
    {3, "Abdomen", true, "ABD", "A01"},    {4, "Hand verborgen", false, "HV", "H01"},
    {5, "Ösophagus", true, "OES", "O01"},  {6, "knie rechts", true, "KNR", "K02"}};

QStringList cellsOf(const BodyPartList& list) {
    QStringList cells;
    for (const BodyPartEntry& e : list.Rows()) {
        cells << QString::fromStdString(e.name) << QString::fromStdString(e.abbreviation)
              << QString::fromStdString(e.factoryCode);
    }
    return cells;
}

TEST_F(MainWindowTest, StartUpShowsPatientAndVisibleRowsInGermanOrder) {
    WriteBytes(in / "a.gdt", "0133000471\n0153101Muster\n0143102Erika\n017310330061922\n");
    ASSERT_TRUE(start(kRows));
    EXPECT_EQ(find<QLabel>("lblID")->text(), "ID: 471");
    EXPECT_EQ(find<QLabel>("lblName")->text(), "Name: Muster Erika");
    EXPECT_EQ(find<QLabel>("lblGeburtsdatum")->text(), "geb. 30.06.1922");
    EXPECT_TRUE(find<QLabel>("lblHinweis")->isHidden());
    QTreeView* list = find<QTreeView>("lvBodyparts");
    QStringList names;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        names << list->model()->index(r, 0).data().toString();
    EXPECT_EQ(names, (QStringList{"Abdomen", "Becken", "Knie links", "knie rechts", "Ösophagus"}));
    EXPECT_EQ(splash.Progress()->value(), 5);
    EXPECT_TRUE(find<QRadioButton>("optMod1")->isChecked());
    EXPECT_FALSE(catalogue.IsOpen());
}

TEST_F(MainWindowTest, MissingCatalogueIsLoggedAndTheWindowStillComesUp) {
    WriteBytes(in / "a.gdt", "0133000471\r\n");
    ASSERT_FALSE(start({}));
    EXPECT_TRUE(window.isVisible() && !splash.isVisible());
    EXPECT_TRUE(test::Logged(log, {"Connection", "Sub Main"}));
}

// A Jet Bodypart.mdb at start: the list shows its visible body parts in German order, and the
// operator is told once, over the filled window, how many were taken over and where the old
// file lies. One that cannot be taken over is explained in the catalogue area, not in a box.
TEST_F(MainWindowTest, StartUpTakesAJetCatalogueOverOrSaysWhyNot) {
    WriteBytes(in / "a.gdt", "0133000471\r\n");
    auto rows = test::SampleJetCatalogue(300);
    test::WriteJetCatalogue(program / "Bodypart.mdb", test::JetVersion::Jet4Compressed, rows);
    const std::string jetBytes = test::ReadBytes(program / "Bodypart.mdb");
    ASSERT_TRUE(start({}));
    QTreeView* list = find<QTreeView>("lvBodyparts");
    if (!JetReadingAvailable()) {
        // A build without a Jet reader (Windows without mdbtools) says so where the list would
        // be, and leaves the file as it is.
        EXPECT_EQ(list->model()->rowCount(), 0);
        EXPECT_TRUE(
            find<QLabel>("lblKatalogHinweis")->text().contains("kann Jet-Dateien nicht lesen"));
        EXPECT_TRUE(op.shots.empty());
        EXPECT_EQ(test::ReadBytes(program / "Bodypart.mdb"), jetBytes);
        return;
    }
    const auto visible = std::count_if(rows.begin(), rows.end(), [](auto& r) { return r.show; });
    EXPECT_EQ(list->model()->rowCount(), visible);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), "Abdomen");
    ASSERT_EQ(op.shots.size(), 1u);
    EXPECT_NE(op.shots[0].text.find("300 Körperteile"), std::string::npos);
    EXPECT_NE(op.shots[0].text.find("Bodypart.jet.mdb"), std::string::npos);
    EXPECT_TRUE(find<QLabel>("lblKatalogHinweis")->isHidden());

    test::JetCatalogueOptions noTable;
    noTable.tableName = "Koerperteile";
    test::WriteJetCatalogue(program / "Bodypart.mdb", test::JetVersion::Jet3, rows, noTable);
    OrderSession second(program.path(), log, op, nullptr);
    MainWindow secondWindow(second);
    Splash secondSplash;
    StartProgram(secondWindow, secondSplash, catalogue, log);
    QLabel* notice = secondWindow.findChild<QLabel*>("lblKatalogHinweis");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains("Die Tabelle tblBodypart fehlt"));
    EXPECT_EQ(secondWindow.findChild<QTreeView*>("lvBodyparts")->model()->rowCount(), 0);
    EXPECT_EQ(op.shots.size(), 1u);
}

TEST_F(MainWindowTest, EveryBoxStandsBesideThePatientAndListItSpeaksOf) {
    const std::string kNotFound = "GDT-File wurde nicht gefunden.";
    auto kNew = [](const char* patient) {
        return "Neue Anforderung geladen: Patient " + std::string(patient) +
               ". Bitte prüfen Sie den Patienten und bestätigen Sie erneut.";
    };
    auto request = [&](const char* bytes) { WriteBytes(in / "a.gdt", bytes); };
    ASSERT_TRUE(start(kRows));  // no request yet
    auto* ok = find<QPushButton>("cmdOK");
    find<QRadioButton>("optMod0")->click();  // Scan looks for a request: none yet
    request("0133000222\r\n0143101Berta\r\n");
    ok->click();
    find<QRadioButton>("optMod1")->click();
    QTest::keyClicks(find<QLineEdit>("txtSearch"), "be");
    QTest::keyClick(find<QLineEdit>("txtSearch"), Qt::Key_Return);
    find<QRadioButton>("optMod0")->click();  // Scan empties the list
    // Rewritten by the practice system while Berta is shown.
    request("0133000999\r\n0133101Gerd\r\n");
    ok->click();
    std::filesystem::remove(in / "a.gdt");  // vanished: forgotten
    ok->click();
    request("0133000999\r\n0133101Gerd\r\n");  // and the next confirmation searches again
    ok->click();

    std::vector<std::vector<QString>> seen;
    for (const auto& s : op.shots) {
        seen.push_back({QString::fromStdString(s.text), s.id, s.name, s.added.join('|')});
    }
    const std::vector<std::vector<QString>> expected = {
        {kNotFound.c_str(), "ID:", "Name:", ""},
        {kNew("222 (Berta)").c_str(), "ID: 222", "Name: Berta", ""},
        {kNew("999 (Gerd)").c_str(), "ID: 999", "Name: Gerd", ""},
        {kNotFound.c_str(), "ID:", "Name:", ""},
        {kNew("999 (Gerd)").c_str(), "ID: 999", "Name: Gerd", ""}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(test::FileNames(out).empty());
}

// Each step by mouse or keyboard, then both lists read aloud must match the session, and the
// added rows, the catalogue's selected row (from 1), the search's miss hint and "Übernehmen".
TEST_F(MainWindowTest, EveryListChangeIsShownAndReadAloudAsTheSessionHoldsIt) {
    WriteBytes(in / "a.gdt", "0133000471\r\n");
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
    EXPECT_TRUE(start(kRows));
    auto* search = find<QLineEdit>("txtSearch");
    auto* list = find<QTreeView>("lvBodyparts");
    auto* added = find<QTreeView>("lvAddBodyparts");
    const QColor plain = search->palette().color(QPalette::Base);
    auto type = [&](const char* text) { return [=] { QTest::keyClicks(search, text); }; };
    auto enter = [](QWidget* w) {
        return [=] {
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
        };
    };
    auto doubleClick = [](QTreeView* view, int row) {
        return [=] {
            const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        };
    };
    auto deleteRow = [=](int row) {  // -1: nothing selected
        return [=] {
            added->setFocus();
            added->selectionModel()->setCurrentIndex(
                added->model()->index(row, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            QTest::keyClick(added, Qt::Key_Delete);
        };
    };
    auto click = [](QAbstractButton* button) { return [=] { button->click(); }; };
    struct Step {
        std::function<void()> act;
        QStringList added;
        std::size_t selected;
        bool miss, ok;
    };
    const Step steps[] = {
        {type("kn"), {}, 3, false, false},
        {enter(search), {"Knie links"}, 3, false, true},
        {type("b"), {"Knie links"}, 2, false, true},  // typed over the found text
        {type("zzz"), {"Knie links"}, 2, true, true},
        {enter(search), {"Knie links"}, 2, true, true},  // a miss adds nothing
        {enter(list), {"Knie links", "Becken"}, 2, true, true},
        {deleteRow(-1), {"Knie links", "Becken"}, 2, true, true},
        {deleteRow(0), {"Becken"}, 2, true, true},
        {doubleClick(list, 4), {"Becken", "Ösophagus"}, 5, true, true},
        {click(find<QRadioButton>("optMod0")), {}, 0, true, true},  // Scan empties the list
        {click(find<QRadioButton>("optMod1")), {}, 0, true, false},
        {doubleClick(list, 4), {"Ösophagus"}, 5, true, true},
        {doubleClick(added, 0), {}, 5, true, false},  // the last part removed
        {[=] { search->clear(); }, {}, 0, false, false},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        steps[i].act();
        EXPECT_EQ(ReadAloud(added), cellsOf(session.Added()));
        EXPECT_EQ(ReadAloud(list), cellsOf(session.Catalogue()));
        QStringList names;
        for (const auto& e : session.Added().Rows()) names << QString::fromStdString(e.name);
        EXPECT_EQ(names, steps[i].added);
        EXPECT_EQ(session.Catalogue().Selected(), steps[i].selected);
        EXPECT_EQ(search->accessibleDescription(), steps[i].miss ? "kein Treffer" : "");
        EXPECT_EQ(search->palette().color(QPalette::Base) != plain, steps[i].miss);
        EXPECT_EQ(find<QPushButton>("cmdOK")->isEnabled(), steps[i].ok);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(modelWarnings.isEmpty()) << modelWarnings.join('\n').toStdString();
    EXPECT_TRUE(test::Logged(log, {}));  // not even for Delete with nothing selected
}

TEST_F(MainWindowTest, TabEntersTheCheckedModalityAndEnterPressesTheFocusedButton) {
    WriteBytes(in / "a.gdt", "0133000471\r\n");
    ASSERT_TRUE(start(kRows));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* initialsField = find<QLineEdit>("txtKuerzel");
    initialsField->setFocus();
    QTest::keyClick(initialsField, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), find<QRadioButton>("optMod1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);  // arrows move and check: Scan
    EXPECT_EQ(QApplication::focusWidget(), find<QRadioButton>("optMod0"));
    EXPECT_EQ(session.CheckedModality(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // and Tab leaves the group
    EXPECT_EQ(QApplication::focusWidget(), initialsField);

    find<QPushButton>("cmdOK")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(op.shots.size(), 1u);
    EXPECT_EQ(op.shots[0].text, "Der Auftrag wurde erfolgreich angelegt.");
}

// Without a request the patient area says why, and no box is shown; the folder watch then shows
// the request that arrives.
TEST_F(MainWindowTest, SaysWhyNoPatientIsShownAndShowsTheRequestThatArrives) {
    std::filesystem::remove(in);
    ASSERT_TRUE(start(kRows));
    auto* hint = find<QLabel>("lblHinweis");
    EXPECT_EQ(hint->text().toStdString(), "Quellordner nicht erreichbar: " + in.string());
    EXPECT_TRUE(hint->isVisible());
    auto* watch = find<QTimer>("tmrQuellordner");
    ASSERT_TRUE(watch->isActive());
    watch->setInterval(20);
    std::filesystem::create_directory(in);
    WriteBytes(in / "a.gdt", "0133000471\r\n0153101Muster\r\n017310330061922\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return find<QLabel>("lblID")->text() == "ID: 471"; }));
    EXPECT_EQ(find<QLabel>("lblGeburtsdatum")->text(), "geb. 30.06.1922");
    EXPECT_FALSE(hint->isVisible());
    EXPECT_FALSE(watch->isActive());
    EXPECT_TRUE(op.shots.empty());
}

// A long name wraps; the window and both identifiers still fit the screen.
TEST_F(MainWindowTest, FitsSmallScreensWithItsIconAndQtInGerman) {
    WriteBytes(in / "a.gdt",
               "0133000471\r\n0453101Mustermann-Sch\xF6nberger-Oberhausen\r\n0373102Erika "
               "Maria Josefine\r\n017310330061922\r\n");
    ASSERT_TRUE(start(kRows));
    // 1366x768 at 100 % and 1920x1080 at 150 % leave about 1280x680 for the window.
    const QSize least = window.minimumSizeHint();
    EXPECT_TRUE(least.width() <= 1280 && least.height() <= 680)
        << least.width() << "x" << least.height();
    find<QLabel>("lblQuellNetz")->setText("Quellnetzlaufwerk ist verbunden");
    find<QLabel>("lblZielNetz")->setText("Zielnetzlaufwerk ist verbunden");
    window.resize(least);
    QApplication::processEvents();
    auto* initialsField = find<QLineEdit>("txtKuerzel");
    EXPECT_GE(initialsField->width(), initialsField->fontMetrics().horizontalAdvance("MMMM"));
    for (QWidget* w : {find<QWidget>("cmdOK"), find<QWidget>("lblGeburtsdatum")}) {
        EXPECT_TRUE(window.rect().contains(QRect(w->mapTo(&window, QPoint()), w->size())));
    }
    auto* born = find<QLabel>("lblGeburtsdatum");
    EXPECT_GE(born->width(), born->sizeHint().width());

    EXPECT_FALSE(window.windowIcon().pixmap(32).isNull());
    const auto german = InstallQtGerman();
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
}

// The search field's clear button shows the program's own icon: the desktop's icon theme is not
// asked, since a theme without the icon costs thousands of file look-ups at every start. The
// theme here has every icon a clear button may ask for, all red.
TEST(MainWindowIcons, SearchClearButtonTakesNoIconFromTheTheme) {
    test::TempFolder themes;
    const QString theme = QString::fromStdString((themes / "probe").string());
    const QString actions = theme + "/16x16/actions/";
    ASSERT_TRUE(std::filesystem::create_directories(themes / "probe" / "16x16" / "actions"));
    test::WriteBytes(themes / "probe" / "index.theme",
                     "[Icon Theme]\nName=probe\nDirectories=16x16/actions\n\n"
                     "[16x16/actions]\nSize=16\nType=Fixed\n");
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    for (const char* name : {"edit-clear", "edit-clear-locationbar-rtl",
                             "edit-clear-locationbar-ltr", "edit-clear-symbolic"}) {
        ASSERT_TRUE(red.save(actions + name + ".png"));
    }
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(themes.path().string())});
    QIcon::setThemeName("probe");
    ASSERT_TRUE(QIcon::hasThemeIcon("edit-clear"));
    {
        test::ProgramFolder folder;
        test::ShotOperator op;
        OrderSession session(folder.program.path(), folder.log, op, nullptr);
        MainWindow window(session);
        auto* search = window.findChild<QLineEdit*>("txtSearch");
        search->setText("Knie");
        const auto buttons = search->findChildren<QToolButton*>();
        ASSERT_EQ(buttons.size(), 1);
        const QImage shown =
            buttons[0]->icon().pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
        int drawn = 0, themed = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                drawn += c.alpha() > 128;
                themed += c.alpha() > 128 && c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        }
        EXPECT_GT(drawn, 20);
        EXPECT_EQ(themed, 0);
        buttons[0]->click();
        EXPECT_TRUE(search->text().isEmpty());
    }
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
}

// Whether this process has an image format plugin loaded (Linux only: elsewhere no).
bool imagePluginLoaded() {
#ifdef __linux__
    return test::ReadBytes("/proc/self/maps").find("/imageformats/") != std::string::npos;
#else
    return false;
#endif
}

QImage drawnBox(QStyle* style, const QString& title) {
    QGroupBox box(title);
    box.setStyle(style);
    box.resize(180, 90);
    return box.grab().toImage();
}

// The program's style reads Fusion's pictures without letting Qt guess their format, which would
// load every image format plugin (and the SVG and JPEG libraries) during each start; group boxes
// still look exactly as Fusion draws them.
TEST(ProgramStyleTest, StartLoadsNoImagePluginAndGroupBoxesLookAsInFusion) {
    if (QApplication::style()->name().compare("fusion", Qt::CaseInsensitive) != 0) {
        GTEST_SKIP() << "the style here is not Fusion";
    }
    const bool loadedBefore = imagePluginLoaded();  // by an earlier test of this process
    UseProgramStyle();
    {
        test::ProgramFolder folder;
        test::ShotOperator op;
        OrderSession session(folder.program.path(), folder.log, op, nullptr);
        MainWindow window(session);
        ASSERT_FALSE(window.findChildren<QGroupBox*>().isEmpty());
        EXPECT_FALSE(window.grab().isNull());
        EXPECT_FALSE(QApplication::style()
                         ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)
                         .pixmap(16)
                         .isNull());
    }
    if (!loadedBefore) {
        EXPECT_FALSE(imagePluginLoaded());
    }
    std::unique_ptr<QStyle> fusion(QStyleFactory::create("fusion"));
    for (const QString& title : {QString("Patient"), QString()}) {
        EXPECT_EQ(drawnBox(QApplication::style(), title), drawnBox(fusion.get(), title))
            << title.toStdString();
    }
}

// Whether one of Qt's pool threads runs in this process (Linux only: elsewhere no).
bool qtPoolThreadRuns() {
#ifdef __linux__
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        try {
            if (test::ReadBytes(task.path() / "comm") == "Thread (pooled)\n") return true;
        } catch (const std::runtime_error&) {
            // a thread that ended meanwhile
        }
    }
#endif
    return false;
}

// The splash shows the shipped picture, drawn on this thread: Qt's raster engine would hand a
// gradient or a translucent stroke of that size to its pool of threads, whose start cost more than
// the picture. A picture that went missing (or was compressed into the program) leaves one colour.
TEST(SplashTest, PictureIsShownWithoutQtsPoolOfThreads) {
    const bool poolBefore = qtPoolThreadRuns();  // started by an earlier test of this process
    Splash splash;
    auto* picture = splash.findChild<QWidget*>("picSplash");
    ASSERT_NE(picture, nullptr);
    const QImage drawn = picture->grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < drawn.height(); y += 2) {
        for (int x = 0; x < drawn.width(); x += 2) colours.insert(drawn.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 40u);  // the film's bands, the bones and the name, each smoothed
    if (!poolBefore) {
        EXPECT_FALSE(qtPoolThreadRuns());
    }
}

// The bar shows the share of the rows read, from the left, and nothing while the count is unknown.
TEST(SplashTest, ProgressBarFillsItsShareFromTheLeft) {
    Splash splash;
    QProgressBar* bar = splash.Progress();
    const QColor filled = bar->palette().color(QPalette::Highlight);
    auto share = [&] {
        const QImage drawn = bar->grab().toImage();
        const int y = drawn.height() / 2;
        int count = 0;
        for (int x = 0; x < drawn.width(); ++x) count += drawn.pixelColor(x, y) == filled;
        return std::pair{count * 100 / drawn.width(), drawn.pixelColor(1, y) == filled};
    };
    EXPECT_EQ(share().first, 0);
    bar->setMaximum(32767);
    bar->setValue(24575);
    EXPECT_EQ(share(), std::pair(74, true));
    bar->setValue(32767);
    EXPECT_EQ(share().first, 99);  // all but the frame
}

// The shipped picture's format: a binary PPM used over its own bytes, anything else refused.
TEST(SplashTest, PpmIsUsedOverItsBytesAndAnythingElseRefused) {
    const QByteArray ppm = QByteArray("P6\n2 1\n255\n") + QByteArray("\x10\x20\x30\xff\x00\x80", 6);
    const QImage image = PpmOverBytes(ppm);
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0xff, 0x00, 0x80));
    EXPECT_EQ(image.constBits(), reinterpret_cast<const uchar*>(ppm.constData()) + 11);
    for (const QByteArray& refused :
         {ppm.left(ppm.size() - 1), ppm + "x", QByteArray("P3\n2 1\n255\n") + ppm.mid(11),
          QByteArray("P6\n2 1\n65535\n") + ppm.mid(11), QByteArray("P6\n2 1\n255") + ppm.mid(11),
          QByteArray("P6 # made by hand\n2 1\n255\n") + ppm.mid(11), QByteArray("P6\n2")}) {
        EXPECT_TRUE(PpmOverBytes(refused).isNull()) << refused.left(20).toStdString();
    }
    EXPECT_EQ(ShippedPicture(":/pictures/splash.ppm").size(), QSize(480, 240));
}

// What a screen reader announces for an input: its own name, its label's text or its caption.
QString spokenName(QWidget* window, QWidget* input) {
    if (!input->accessibleName().isEmpty()) return input->accessibleName();
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() == input) return label->text().remove('&');
    }
    auto* button = qobject_cast<QAbstractButton*>(input);
    return button ? button->text().remove('&') : QString();
}

TEST_F(MainWindowTest, EveryInputOfEveryWindowHasAnOwnNameAndLabelsKeepTheirText) {
    ASSERT_TRUE(start(kRows));
    test::FakePicker picker;
    LoginDialog login;
    SelectBodypartsDialog select(program.path(), log);
    OptionsDialog options(
        session.Settings(), program.path(), log, [](int, const std::string&) {}, picker);
    for (QWidget* w : std::initializer_list<QWidget*>{&window, &login, &select, &options}) {
        const std::string where = w->objectName().toStdString();
        std::set<QString> names;
        for (QWidget* input : w->findChildren<QWidget*>()) {
            if (auto* label = qobject_cast<QLabel*>(input)) {
                EXPECT_TRUE(label->accessibleName().isEmpty()) << where;
            } else if (input->focusPolicy() & Qt::TabFocus) {
                const QString name = spokenName(w, input);
                EXPECT_FALSE(name.isEmpty()) << where << ": " << input->objectName().toStdString();
                EXPECT_TRUE(names.insert(name).second) << where << ": " << name.toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace morvik
