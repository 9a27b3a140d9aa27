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
    db.Open();
    for (auto _ : state) {
        std::vector<BodyPartEntry> entries = db.ShownBodyParts();
        if (std::cmp_not_equal(entries.size(), state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    db.Close();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StartUpQueryGermanOrder)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

// Plain SQLite calls only: the statement's rows read into strings, as the program keeps them.
struct PlainRow {
    std::string name, abbreviation, factoryCode;
};
std::vector<PlainRow> plainQuery(sqlite3* db, const char* sql) {
    std::vector<PlainRow> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) return rows;
    auto text = [statement](int column) {
        const unsigned char* value = sqlite3_column_text(statement, column);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    while (sqlite3_step(statement) == SQLITE_ROW) rows.push_back({text(0), text(1), text(2)});
    sqlite3_finalize(statement);
    return rows;
}

void plainQueryBench(benchmark::State& state, const char* sql) {
    sqlite3* db = nullptr;
    const fs::path file = programFolder(state.range(0)) / CatalogueFileName;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the catalogue");
    }
    for (auto _ : state) {
        std::vector<PlainRow> rows = plainQuery(db, sql);
        if (std::cmp_not_equal(rows.size(), state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(rows.data());
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same rows sorted by SQLite's own NOCASE, as the sqlite3 shell would.
void StartUpQueryPlainSqlite(benchmark::State& state) {
    plainQueryBench(state,
                    "SELECT f_Name, f_Konica, f_Factory FROM tblBodypart WHERE f_Show = True "
                    "ORDER BY f_Name COLLATE NOCASE");
}
BENCHMARK(StartUpQueryPlainSqlite)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

// The same rows walked without a sort, for scale.
void ShownRowsUnsorted(benchmark::State& state) {
    plainQueryBench(state,
                    "SELECT f_Name, f_Konica, f_Factory FROM tblBodypart WHERE f_Show = True");
}
BENCHMARK(ShownRowsUnsorted)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

// The whole start-up use: open, query, walk, close.
void StartUpWithOpenAndClose(benchmark::State& state) {
    BenchClock clock;
    ErrorLog log(programFolder(state.range(0)), clock);
    CatalogueDatabase db(programFolder(state.range(0)), log);
    for (auto _ : state) {
        db.Open();
        std::vector<BodyPartEntry> entries = db.ShownBodyParts();
        db.Close();
        if (std::cmp_not_equal(entries.size(), state.range(0)))
            state.SkipWithError("wrong number of rows");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StartUpWithOpenAndClose)->Apply(CatalogueSizes)->Unit(benchmark::kMillisecond);

}  // namespace
