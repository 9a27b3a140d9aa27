// The start-up query over the largest catalogue the start-up ever had to count (32,767 shown
// rows), sorted in German order, against the same statement on a plain SQLite connection that
// sorts with SQLite's own NOCASE, as the sqlite3 shell does, and against no sort at all.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "BenchClock.h"
#include "catalogue/CatalogueDatabase.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/Sqlite.h"
#include "diag/ErrorLog.h"

namespace fs = std::filesystem;
using namespace morvik;
using morvik::bench::BenchClock;

namespace {

constexpr int ShownRows = 32767;

// Names built the way a practice writes them, with umlauts, ß and mixed case, each one unique,
// stored in shuffled order so that the sort has real work to do.
std::vector<CatalogueRow> makeRows() {
    const std::vector<std::string> regions = {
        "Schädel",       "Nasennebenhöhlen", "HWS",        "BWS",
        "LWS",           "Thorax",           "Becken",     "Abdomen",
        "Schulter",      "Schlüsselbein",    "Oberarm",    "Ellenbogen",
        "Unterarm",      "Handgelenk",       "Hand",       "Daumen",
        "Hüfte",         "Oberschenkel",     "Knie",       "Kniescheibe",
        "Unterschenkel", "Sprunggelenk",     "Fersenbein", "Fuß",
        "Fußgelenk",     "Großzehe",         "Ösophagus",  "Übersicht",
        "ellenbogen",    "fußwurzel"};
    const std::vector<std::string> sides = {"links", "rechts", "beidseits"};
    const std::vector<std::string> views = {"a.p.",        "p.a.",    "seitlich",
                                            "in 2 Ebenen", "axial",   "schräg",
                                            "gehalten",    "stehend", "Funktion"};
    std::vector<CatalogueRow> rows;
    rows.reserve(ShownRows);
    for (int i = 0; static_cast<int>(rows.size()) < ShownRows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i) % regions.size();
        const std::size_t s = static_cast<std::size_t>(i / 30) % sides.size();
        const std::size_t v = static_cast<std::size_t>(i / 90) % views.size();
        const std::string name =
            regions[r] + " " + sides[s] + " " + views[v] + " Serie " + std::to_string(i / 810 + 1);
        rows.push_back({i + 1, name, true, "ABK" + std::to_string(i), "F" + std::to_string(i)});
    }
    std::mt19937 random(20261205);
    std::shuffle(rows.begin(), rows.end(), random);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].id = static_cast<std::int64_t>(i) + 1;
    return rows;
}

// A program folder with the big catalogue, made once for all benchmarks.
const fs::path& programFolder() {
    static const fs::path folder = [] {
        fs::path dir =
            fs::temp_directory_path() / ("morvik-catalogue-bench-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        SqliteConnection db(dir / CatalogueFileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        ReplaceAllRows(db, makeRows());
        return dir;
    }();
    return folder;
}

struct RemoveFolder {
    ~RemoveFolder() {
        std::error_code ignored;
        fs::remove_all(
            fs::temp_directory_path() / ("morvik-catalogue-bench-" + std::to_string(::getpid())),
            ignored);
    }
} removeFolderAtExit;

void StartUpQueryGermanOrder(benchmark::State& state) {
    BenchClock clock;
    ErrorLog log(programFolder(), clock);
    CatalogueDatabase db(programFolder(), log);
    db.Connection(1);
    for (auto _ : state) {
        std::vector<BodyPartEntry> entries = db.ShownBodyParts();
        if (entries.size() != ShownRows) state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    db.Connection(0);
    state.SetItemsProcessed(state.iterations() * ShownRows);
}
BENCHMARK(StartUpQueryGermanOrder)->Unit(benchmark::kMillisecond);

void StartUpQueryPlainSqlite(benchmark::State& state) {
    SqliteConnection db(programFolder() / CatalogueFileName, SQLITE_OPEN_READONLY);
    for (auto _ : state) {
        std::vector<BodyPartEntry> entries = SelectShownBodyParts(db);
        if (entries.size() != ShownRows) state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * ShownRows);
}
BENCHMARK(StartUpQueryPlainSqlite)->Unit(benchmark::kMillisecond);

// The same rows walked without a sort, for scale.
void ShownRowsUnsorted(benchmark::State& state) {
    SqliteConnection db(programFolder() / CatalogueFileName, SQLITE_OPEN_READONLY);
    for (auto _ : state) {
        std::vector<BodyPartEntry> entries =
            SelectBodyParts(db, "SELECT * FROM tblBodypart WHERE f_Show = True");
        if (entries.size() != ShownRows) state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * ShownRows);
}
BENCHMARK(ShownRowsUnsorted)->Unit(benchmark::kMillisecond);

// The whole start-up use: open, query, walk, close.
void StartUpWithOpenAndClose(benchmark::State& state) {
    BenchClock clock;
    ErrorLog log(programFolder(), clock);
    CatalogueDatabase db(programFolder(), log);
    for (auto _ : state) {
        db.Connection(1);
        std::vector<BodyPartEntry> entries = db.ShownBodyParts();
        db.Connection(0);
        if (entries.size() != ShownRows) state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * ShownRows);
}
BENCHMARK(StartUpWithOpenAndClose)->Unit(benchmark::kMillisecond);

}  // namespace
