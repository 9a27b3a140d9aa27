// The main window with catalogues of 250, 2,000 and 32,767 shown rows: filling it from the
// database and a search keystroke that matches the last row; confirmations of 1, 10, 50 and 200
// body parts; start-up with a 300-row Jet catalogue taken over; the whole start-up to a visible
// window; each beside the raw work it is measured against at the same size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTranslator>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "../BenchClock.h"
#include "../InPairs.h"
#include "JetWriter.h"
#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/Sqlite.h"
#include "diag/ErrorLog.h"
#include "gdt/GdtLine.h"
#include "main/StartUp.h"
#include "platform/FileSystem.h"
#include "ui/MainWindow.h"
#include "ui/ProgramStyle.h"
#include "ui/QtTranslation.h"
#include "ui/ShippedIcons.h"
#include "ui/Splash.h"

namespace fs = std::filesystem;
using namespace morvik;
using morvik::bench::BenchClock;
using morvik::bench::runInPairs;
using morvik::bench::Took;

namespace {

void CatalogueSizes(benchmark::internal::Benchmark* b) {
    b->Arg(250)->Arg(2000)->Arg(32767);
}
void ConfirmationSizes(benchmark::internal::Benchmark* b) {
    b->Arg(1)->Arg(10)->Arg(50)->Arg(200);
}

class SilentOperator final : public OperatorChannel {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }
};

std::string rowName(int i) {
    static const char* parts[] = {"Knie",       "Hüfte",        "Schulter",
                                  "Ellenbogen", "Sprunggelenk", "Ösophagus"};
    return std::string(parts[i % 6]) + " Aufnahme " + std::to_string(100000 + i);
}

// A program folder with Settings.ini and a catalogue of `rows` shown rows, made once per size.
fs::path programFolder(std::int64_t rows = 250) {
    static std::map<std::int64_t, fs::path> folders;
    if (auto known = folders.find(rows); known != folders.end()) return known->second;
    const fs::path folder = [rows] {
        fs::path f = fs::temp_directory_path() / ("morvik-bench-ui-" + std::to_string(rows));
        fs::remove_all(f);
        fs::create_directories(f / "in");
        fs::create_directories(f / "out");
        std::ofstream(f / "Settings.ini", std::ios::binary)
            << "[GDTService]\r\nGDTQuell=" << (f / "in").string()
            << "\r\nGDTZiel=" << (f / "out").string()
            << "\r\nKuerzel=AB\r\nKonica=1\r\nAcc=1\r\nAccNum=RAD\r\n";
        SqliteConnection db(f / CatalogueFileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        CreateCatalogueTable(db);
        std::vector<CatalogueRow> catalogue;
        for (int i = 0; i < rows; ++i)
            catalogue.push_back({i + 1, rowName(i), true, "AB", "F" + std::to_string(i)});
        ReplaceAllRows(db, catalogue);
        db.Close();
        return f;
    }();
    folders.emplace(rows, folder);
    return folder;
}

struct Fixture {
    fs::path folder;
    BenchClock clock;
    ErrorLog log{folder, clock};
    SilentOperator op;
    OrderSession session{folder, log, op, nullptr};
    MainWindow window{session};
    explicit Fixture(std::int64_t rows) : folder(programFolder(rows)) {
        window.Load();
        window.SetUpColumns();
        window.show();
        QCoreApplication::processEvents();
    }
    void fill() {
        CatalogueDatabase db(folder, log);
        db.Open();
        window.FillCatalogue(db.ShownBodyParts());
        db.Close();
    }
};

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

// The start-up query by plain SQLite calls: open, the shown rows in NOCASE order read into
// strings, close.
void BM_StartUpQueryRaw(benchmark::State& state) {
    const fs::path file = programFolder(state.range(0)) / CatalogueFileName;
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(db,
                           "SELECT f_Name, f_Konica, f_Factory FROM tblBodypart "
                           "WHERE f_Show = True ORDER BY f_Name COLLATE NOCASE",
                           -1, &statement, nullptr);
        std::vector<std::string> values;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < 3; ++column) {
                const unsigned char* value = sqlite3_column_text(statement, column);
                values.emplace_back(value ? reinterpret_cast<const char*>(value) : "");
            }
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        if (std::cmp_not_equal(values.size(), 3 * state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(BM_StartUpQueryRaw)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

void BM_FillVisibleList(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<Fixture>(state.range(0));
        state.ResumeTiming();
        fixture->fill();
        QCoreApplication::processEvents();  // the list is drawn
        state.PauseTiming();
        fixture.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = static_cast<double>(peakKiB()) / 1024.0;
}
BENCHMARK(BM_FillVisibleList)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

void BM_SearchKeystrokeLastRow(benchmark::State& state) {
    Fixture fixture(state.range(0));
    fixture.fill();
    auto* search = fixture.window.findChild<QLineEdit*>("txtSearch");
    // The last row in name order, typed whole, then one character less, and so on alternating.
    std::string last = fixture.session.Catalogue().Row(fixture.session.Catalogue().Count()).name;
    QString full = QString::fromStdString(last);
    QString shorter = full.left(full.size() - 1);
    bool flip = false;
    for (auto _ : state) {
        search->setText(flip ? shorter : full);
        flip = !flip;
    }
    if (fixture.session.Catalogue().Selected() < fixture.session.Catalogue().Count() - 10) {
        state.SkipWithError("the search did not find the last rows");
    }
}
BENCHMARK(BM_SearchKeystrokeLastRow)->Apply(CatalogueSizes)->Unit(benchmark::kMicrosecond);

std::string request() {
    std::string text = CreateGDTLine("8000", "6302") + CreateGDTLine("3000", "4711") +
                       CreateGDTLine("3101", "Muster") + CreateGDTLine("3102", "Erika");
    while (text.size() < 2048) text += CreateGDTLine("6228", "Befundzeile");
    return text;
}

// Until the window is on the screen and drawn: on xcb the server says when it is exposed.
void waitUntilShown(QWidget& window) {
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QCoreApplication::processEvents();
}

// Everything main() builds after the QApplication, in its order: Qt in German, the icon, the
// session, the main window with the splash, Sub Main (settings, drives, recovery, the request,
// the catalogue into the list), until the window is drawn. A request waits in the source folder.
struct ProgramStart {
    std::unique_ptr<QTranslator> german = InstallQtGerman();
    fs::path folder;
    BenchClock clock;
    ErrorLog log{folder, clock};
    SilentOperator op;
    OrderSession session{folder, log, op, nullptr};
    MainWindow window{session};
    Splash splash;
    CatalogueDatabase catalogue{folder, log};
    explicit ProgramStart(const fs::path& programFolder) : folder(programFolder) {}
};

// The start as main() makes it, once the QApplication is there.
std::unique_ptr<ProgramStart> startProgram(const fs::path& folder) {
    QApplication::setApplicationName(kProgramName);
    UseProgramStyle();
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName("de.morvik.Morvik");
    auto start = std::make_unique<ProgramStart>(folder);
    if (!StartProgram(start->window, start->splash, start->catalogue, start->log)) return nullptr;
    waitUntilShown(start->window);
    return start;
}

void writeWaitingRequest(const fs::path& folder) {
    std::ofstream(folder / "in" / "request.gdt", std::ios::binary) << request();
}

void BM_StartUpToVisibleWindow(benchmark::State& state) {
    const fs::path folder = programFolder(state.range(0));
    writeWaitingRequest(folder);
    for (auto _ : state) {
        auto start = startProgram(folder);
        if (!start) state.SkipWithError("the start failed");
        state.PauseTiming();
        start.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToVisibleWindow)->Arg(250)->Unit(benchmark::kMillisecond);

// The least a window with such a list costs: a bare QMainWindow whose tree view shows the same
// rows from a QStandardItemModel, drawn.
QStringList bareRows(std::int64_t rows) {
    QStringList names;
    for (int i = 0; i < rows; ++i) names << QString::fromStdString(rowName(i));
    names.sort(Qt::CaseInsensitive);
    return names;
}

std::unique_ptr<QMainWindow> showBareWindow(const QStringList& names) {
    auto window = std::make_unique<QMainWindow>();
    auto* model = new QStandardItemModel(0, 3, window.get());
    for (int i = 0; i < names.size(); ++i) {
        model->appendRow({new QStandardItem(names[i]), new QStandardItem("AB"),
                          new QStandardItem("F" + QString::number(i))});
    }
    auto* list = new QTreeView;
    list->setModel(model);
    list->setRootIsDecorated(false);
    window->setCentralWidget(list);
    window->resize(820, 760);
    window->show();
    waitUntilShown(*window);
    return window;
}

void BM_BareWindowVisible(benchmark::State& state) {
    const QStringList names = bareRows(state.range(0));
    for (auto _ : state) {
        auto window = showBareWindow(names);
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareWindowVisible)->Arg(250)->Unit(benchmark::kMillisecond);

// A whole process per start, as the operator meets it: libraries loaded, the QApplication made,
// fonts and plugins found, until the window is drawn; then the process ends without tearing down.
// Both starts are this program started again ("--start-once"), so both load the same libraries.
// "program": the program's start; "bare": the bare window with the same 250 rows. Wall time, and
// the CPU time of the started process; nothing when the start failed.
std::optional<Took> startProcess(const char* what, const fs::path& folder) {
    static const std::string self = fs::read_symlink("/proc/self/exe").string();
    rusage before{}, after{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    const auto began = std::chrono::steady_clock::now();
    const char* args[] = {self.c_str(), "--start-once", what, folder.c_str(), nullptr};
    pid_t child = 0;
    int status = -1;
    if (::posix_spawn(&child, self.c_str(), nullptr, nullptr, const_cast<char**>(args), environ) !=
            0 ||
        ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    const auto ended = std::chrono::steady_clock::now();
    ::getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return Took{ended - began,
                std::chrono::duration<double>(seconds(after.ru_utime) - seconds(before.ru_utime) +
                                              seconds(after.ru_stime) - seconds(before.ru_stime))};
}

// 0: the program's start, 1: the bare window.
void BM_ProcessStartToVisibleWindow(benchmark::State& state) {
    const fs::path folder = programFolder(250);
    writeWaitingRequest(folder);
    const char* const what = state.range(0) == 0 ? "program" : "bare";
    double childSeconds = 0;
    for (auto _ : state) {
        const std::optional<Took> start = startProcess(what, folder);
        if (!start) {
            state.SkipWithError("the start failed");
            break;
        }
        state.SetIterationTime(start->wall.count());
        childSeconds += start->cpu->count();
    }
    state.counters["child_cpu_ms"] =
        benchmark::Counter(childSeconds * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ProcessStartToVisibleWindow)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One start in this process, for BM_ProcessStartToVisibleWindow.
int startOnce(int argc, char** argv, const std::string& what, const fs::path& folder) {
    QApplication app(argc, argv);
    if (what == "bare") {
        showBareWindow(bareRows(250)).release();
    } else if (!startProgram(folder).release()) {
        return 1;
    }
    std::fflush(nullptr);
    ::_exit(0);
}

// Removes what a run left in a folder, keeping the folder: a folder made afresh every run would
// make each file's creation search a new inode group, which a folder in use does not do.
void emptyFolder(const fs::path& folder) {
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
}

// A session with a waiting request and N body parts chosen, each its own order file with its own
// accession number, and with `worklist` each order file with its worklist item; the folders of
// the last confirmation emptied.
struct ChosenBodyParts {
    BenchClock clock;
    ErrorLog log{programFolder(), clock};
    SilentOperator op;
    OrderSession session{programFolder(), log, op, nullptr};

    ChosenBodyParts(int parts, bool worklist) {
        const fs::path items = programFolder() / "worklist";
        emptyFolder(programFolder() / "out");
        emptyFolder(items);
        std::ofstream(programFolder() / "in" / "request.gdt", std::ios::binary) << request();
        session.Load();
        session.Settings().worklistEnabled = worklist;
        session.Settings().worklistFolder = items.string();
        std::vector<BodyPartEntry> rows;
        for (int i = 0; i < parts; ++i) rows.push_back({rowName(i), "AB", "F" + std::to_string(i)});
        session.FillCatalogue(rows);
        for (std::size_t r = 1; r <= rows.size(); ++r) {
            session.SelectCatalogueRow(r);
            session.AddSelectedBodyPart();
        }
    }
    bool confirm() { return session.Confirm("Kommentar") == OrderSession::Confirmation::Done; }
};

void confirmBodyParts(benchmark::State& state, bool worklist) {
    for (auto _ : state) {
        state.PauseTiming();
        ChosenBodyParts chosen(static_cast<int>(state.range(0)), worklist);
        state.ResumeTiming();
        if (!chosen.confirm()) state.SkipWithError("confirmation failed");
    }
}
void BM_ConfirmBodyParts(benchmark::State& state) {
    confirmBodyParts(state, false);
}
BENCHMARK(BM_ConfirmBodyParts)->Apply(ConfirmationSizes)->Unit(benchmark::kMillisecond);

void BM_ConfirmBodyPartsWithWorklist(benchmark::State& state) {
    confirmBodyParts(state, true);
}
BENCHMARK(BM_ConfirmBodyPartsWithWorklist)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

// The same N files written, flushed and renamed by hand, with nothing else, into an emptied `out`.
bool writeFilesRaw(const fs::path& out, std::int64_t files) {
    static const std::string text = request() + std::string(180, 'x');
    bool written = true;
    for (std::int64_t i = 0; i < files; ++i) {
        fs::path tmp = out / ("~" + std::to_string(i) + ".tmp");
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        written &= ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::fsync(fd);
        ::close(fd);
        fs::rename(tmp, out / (std::to_string(i) + ".gdt"));
    }
    int dir = ::open(out.c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(dir);
    ::close(dir);
    return written;
}

void BM_WriteFilesRaw(benchmark::State& state) {
    const fs::path out = programFolder() / "out";
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(out);
        state.ResumeTiming();
        if (!writeFilesRaw(out, state.range(0))) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteFilesRaw)->Apply(ConfirmationSizes)->Unit(benchmark::kMillisecond);

using Clock = std::chrono::steady_clock;

std::optional<Took> timeConfirmation(int parts, bool worklist) {
    ChosenBodyParts chosen(parts, worklist);
    const auto began = Clock::now();
    if (!chosen.confirm()) return std::nullopt;
    return Took{Clock::now() - began, std::nullopt};
}

// The confirmation against the same files written by hand.
void BM_ConfirmAgainstRaw(benchmark::State& state) {
    const int parts = static_cast<int>(state.range(0));
    const fs::path out = programFolder() / "out-raw";
    runInPairs(
        state, "confirm", [&] { return timeConfirmation(parts, false); }, "raw",
        [&]() -> std::optional<Took> {
            emptyFolder(out);
            const auto began = Clock::now();
            if (!writeFilesRaw(out, parts)) return std::nullopt;
            return Took{Clock::now() - began, std::nullopt};
        });
}
BENCHMARK(BM_ConfirmAgainstRaw)
    ->Apply(ConfirmationSizes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The confirmation with the worklist on against the same without it.
void BM_WorklistAgainstWithout(benchmark::State& state) {
    const int parts = static_cast<int>(state.range(0));
    runInPairs(
        state, "worklist", [&] { return timeConfirmation(parts, true); }, "without",
        [&] { return timeConfirmation(parts, false); });
}
BENCHMARK(BM_WorklistAgainstWithout)
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The program's start against the bare window's, in pairs: the machine's drift from one series
// of starts to the next moves a ratio of separate series by more than the difference between them.
void BM_ProcessStartAgainstBare(benchmark::State& state) {
    const fs::path folder = programFolder(250);
    writeWaitingRequest(folder);
    runInPairs(
        state, "program", [&] { return startProcess("program", folder); }, "bare",
        [&] { return startProcess("bare", folder); });
}
BENCHMARK(BM_ProcessStartAgainstBare)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

// Start-up on a program folder whose Bodypart.mdb is a 300-row Jet 4 file, up to the visible
// main window with its list filled: the take-over (read, new catalogue and kept copy written and
// flushed, renames) plus everything a start does. A fresh Jet file for every start.
void BM_StartUpWithJetCatalogue(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / "morvik-bench-jet";
    fs::remove_all(folder);
    fs::create_directories(folder / "in");
    std::ofstream(folder / "Settings.ini", std::ios::binary)
        << "[GDTService]\r\nGDTQuell=" << (folder / "in").string() << "\r\nKuerzel=AB\r\n";
    const auto rows = test::SampleJetCatalogue(static_cast<std::size_t>(state.range(0)));
    std::size_t shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(folder / "Bodypart.jet.mdb");
        test::WriteJetCatalogue(folder / CatalogueFileName, test::JetVersion::Jet4Compressed, rows);
        state.ResumeTiming();
        BenchClock clock;
        ErrorLog log(folder, clock);
        SilentOperator op;
        OrderSession session(folder, log, op, nullptr);
        MainWindow window(session);
        Splash splash;
        CatalogueDatabase catalogue(folder, log);
        StartProgram(window, splash, catalogue, log);
        QCoreApplication::processEvents();
        shown = session.Catalogue().Rows().size();
        if (!window.isVisible() || shown == 0) state.SkipWithError("no catalogue shown");
    }
    state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK(BM_StartUpWithJetCatalogue)->Arg(300)->Unit(benchmark::kMillisecond);

// The same file work by plain system calls: the Jet file read, two files of its size written,
// flushed and renamed, the folder flushed.
void BM_JetTakeOverFilesRaw(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / "morvik-bench-jet-raw";
    fs::remove_all(folder);
    fs::create_directories(folder);
    test::WriteJetCatalogue(folder / "Bodypart.mdb", test::JetVersion::Jet4Compressed,
                            test::SampleJetCatalogue(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        std::ifstream in(folder / "Bodypart.mdb", std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        for (const char* name : {"copy", "new"}) {
            const fs::path temp = folder / (std::string("~") + name + ".tmp");
            const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
            ::fsync(fd);
            ::close(fd);
            ::rename(temp.c_str(), (folder / name).c_str());
        }
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        ::fsync(dir);
        ::close(dir);
    }
}
BENCHMARK(BM_JetTakeOverFilesRaw)->Arg(300)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && std::string(argv[1]) == "--start-once") {
        int qtArgc = 1;
        return startOnce(qtArgc, argv, argv[2], argv[3]);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
