// The start-up query, sorted in German order, against the same statement on a plain SQLite
// connection that sorts with SQLite's own NOCASE, as the sqlite3 shell does, and against no sort
// at all; each over catalogues of 250 shown rows (what practices have), 2,000 and 32,767 (the
// largest the start-up ever had to count).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <utility>

#include "BenchClock.h"
#include "catalogue/CatalogueDatabase.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/Sqlite.h"
#include "diag/ErrorLog.h"

namespace fs = std::filesystem;
using namespace morvik;
using morvik::bench::BenchClock;

namespace {

void CatalogueSizes(benchmark::internal::Benchmark* b) {
    b->Arg(250)->Arg(2000)->Arg(32767);
}

// Names built the way a practice writes them, with umlauts, ß and mixed case, each one unique,
// stored in shuffled order so that the sort has real work to do.
std::vector<CatalogueRow> makeRows(std::size_t count) {
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
    rows.reserve(count);
    for (int i = 0; rows.size() < count; ++i) {
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

fs::path benchFolder() {
    return fs::temp_directory_path() / ("morvik-catalogue-bench-" + std::to_string(::getpid()));
}

// A program folder with a catalogue of `rows` shown rows, made once per size.
fs::path programFolder(std::int64_t rows) {
    const fs::path dir = benchFolder() / std::to_string(rows);
    if (!fs::exists(dir / CatalogueFileName)) {
        fs::create_directories(dir);
        SqliteConnection db(dir / CatalogueFileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        ReplaceAllRows(db, makeRows(static_cast<std::size_t>(rows)));
    }
    return dir;
}

struct RemoveFolder {
    ~RemoveFolder() {
        std::error_code ignored;
        fs::remove_all(benchFolder(), ignored);
    }
} removeFolderAtExit;

void StartUpQueryGermanOrder(benchmark::State& state) {
    BenchClock clock;
    ErrorLog log(programFolder(state.range(0)), clock);
    CatalogueDatabase db(programFolder(state.range(0)), log);
    db.Connection(1);
    for (auto _ : state) {
        std::vector<BodyPartEntry> entries = db.ShownBodyParts();
        if (std::cmp_not_equal(entries.size(), state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    db.Connection(0);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StartUpQueryGermanOrder)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

void StartUpQueryPlainSqlite(benchmark::State& state) {
    SqliteConnection db(programFolder(state.range(0)) / CatalogueFileName, SQLITE_OPEN_READONLY);
    for (auto _ : state) {
        std::vector<BodyPartEntry> entries = SelectShownBodyParts(db);
        if (std::cmp_not_equal(entries.size(), state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StartUpQueryPlainSqlite)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

// The same rows walked without a sort, for scale.
void ShownRowsUnsorted(benchmark::State& state) {
    SqliteConnection db(programFolder(state.range(0)) / CatalogueFileName, SQLITE_OPEN_READONLY);
    for (auto _ : state) {
        std::vector<BodyPartEntry> entries =
            SelectBodyParts(db, "SELECT * FROM tblBodypart WHERE f_Show = True");
        if (std::cmp_not_equal(entries.size(), state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ShownRowsUnsorted)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

// The whole start-up use: open, query, walk, close.
void StartUpWithOpenAndClose(benchmark::State& state) {
    BenchClock clock;
    ErrorLog log(programFolder(state.range(0)), clock);
    CatalogueDatabase db(programFolder(state.range(0)), log);
    for (auto _ : state) {
        db.Connection(1);
        std::vector<BodyPartEntry> entries = db.ShownBodyParts();
        db.Connection(0);
        if (std::cmp_not_equal(entries.size(), state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StartUpWithOpenAndClose)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

}  // namespace
