// Request parsing against a plain read of the same file, and writing order files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "config/AppSettings.h"
#include "BenchClock.h"
#include "diag/ErrorLog.h"
#include "gdt/AccessionCounter.h"
#include "gdt/GdtLine.h"
#include "gdt/OrderWriter.h"
#include "gdt/RequestReader.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;
using namespace morvik;
using morvik::bench::BenchClock;

namespace {

fs::path scratch(const char* name) {
    fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string makeRequest(std::size_t bytes) {
    std::string text = CreateGDTLine("8000", "6302") + CreateGDTLine("3000", "4711") +
                       CreateGDTLine("3101", "Müller") + CreateGDTLine("3102", "Jörg");
    int i = 0;
    while (text.size() < bytes) text += CreateGDTLine("6228", "Befundzeile " + std::to_string(i++));
    return text;
}

fs::path writeRequest(const fs::path& dir, std::size_t bytes) {
    fs::path file = dir / "request.gdt";
    std::string text = makeRequest(bytes);
    std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    return file;
}

void BM_ReadRaw_1MB(benchmark::State& state) {
    fs::path file = writeRequest(scratch("morvik-bench-raw"), 1 << 20);
    for (auto _ : state) benchmark::DoNotOptimize(ReadFileBytes(file));
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_ReadRaw_1MB);

void BM_ReadGDT_1MB(benchmark::State& state) {
    fs::path file = writeRequest(scratch("morvik-bench-read"), 1 << 20);
    for (auto _ : state) {
        PatientCaptions captions;
        benchmark::DoNotOptimize(ReadGDT(file, captions));
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_ReadGDT_1MB);

void BM_Write100Orders_2KB(benchmark::State& state) {
    fs::path program = scratch("morvik-bench-write");
    fs::create_directories(program / "out");
    BenchClock clock;
    ErrorLog log(program, clock);
    AccessionCounter counter(program, log);
    AppSettings settings;
    settings.GDTZiel = (program / "out").string();
    settings.CommentField = "6227";
    settings.Kuerzel = "AB";
    settings.Konica = true;
    settings.Acc = true;
    settings.AccNum = "RAD";
    std::string request = makeRequest(2048);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            if (!WriteGDT(settings, counter, log, request, {"Röntgen", "links"}, {"Thorax p.a.", "THX", "T01"})) {
                state.SkipWithError("order not written");
            }
        }
        state.PauseTiming();
        fs::remove_all(program / "out");
        fs::create_directories(program / "out");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Write100Orders_2KB)->Unit(benchmark::kMillisecond);

}  // namespace
