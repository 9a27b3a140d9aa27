// Request parsing against a plain read of the same file, and writing order files against the
// plain calls writing, flushing and renaming as many files. The baselines are system calls only,
// never a function of the program, so that they bound what the program's own code may cost.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

#include "BenchClock.h"
#include "InPairs.h"
#include "diag/ErrorLog.h"
#include "gdt/AccessionCounter.h"
#include "gdt/GdtLine.h"
#include "gdt/OrderWriter.h"
#include "gdt/RequestReader.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;
using namespace morvik;
using morvik::bench::BenchClock;
using morvik::bench::runInPairs;
using morvik::bench::Took;

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
    std::ofstream(file, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    return file;
}

// Request sizes: a typical request (2 KB), a long one with findings (100 KB), and 1 MB.
void RequestSizes(benchmark::internal::Benchmark* b) {
    b->Arg(2 << 10)->Arg(100 << 10)->Arg(1 << 20);
}

// The least any reader can do: open, fstat, one read into a string of the file's size. A
// function of its own, so that callgrind can count its instructions alone
// (--toggle-collect='*readRaw*'); false when a call failed.
[[gnu::noinline]] bool readRaw(const fs::path& file, std::string& text) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) return false;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    text = std::string(static_cast<std::size_t>(st.st_size), '\0');
    const bool whole = ::read(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return whole;
}

void BM_ReadRaw(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    fs::path file = writeRequest(scratch("morvik-bench-raw"), bytes);
    for (auto _ : state) {
        std::string text;
        if (!readRaw(file, text)) {
            state.SkipWithError("cannot read the request");
            break;
        }
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadRaw)->Apply(RequestSizes);

void BM_ReadGDT(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    fs::path file = writeRequest(scratch("morvik-bench-read"), bytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadGDT(file));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadGDT)->Apply(RequestSizes);

// The CPU time this thread has used.
std::chrono::duration<double> threadCpu() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::duration<double>(static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9);
}

// `reads` runs of `read`, timed together (wall and this thread's CPU); nothing when one failed.
template <class Read>
std::optional<Took> timeReads(int reads, Read read) {
    const auto cpuBefore = threadCpu();
    const auto before = std::chrono::steady_clock::now();
    for (int i = 0; i < reads; ++i) {
        if (!read()) return std::nullopt;
    }
    return Took{std::chrono::steady_clock::now() - before, threadCpu() - cpuBefore};
}

// ReadGDT and the plain read of the same request in turn, in batches of about 100 microseconds,
// which goes first alternating: this machine's speed drifts by a fifth and more between two runs
// of BM_ReadGDT and BM_ReadRaw taken one after the other. `cpu_ratio` is ReadGDT's CPU time over
// the plain read's, the median of the pairs.
void BM_ReadGDTAgainstRaw(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    const fs::path file = writeRequest(scratch("morvik-bench-pairs"), bytes);
    const int reads = std::max(2, static_cast<int>((32 << 10) / bytes));
    runInPairs(
        state, "read_gdt",
        [&] {
            return timeReads(reads, [&] {
                benchmark::DoNotOptimize(ReadGDT(file));
                return true;
            });
        },
        "raw",
        [&] {
            return timeReads(reads, [&] {
                std::string text;
                const bool read = readRaw(file, text);
                benchmark::DoNotOptimize(text);
                return read;
            });
        });
}
BENCHMARK(BM_ReadGDTAgainstRaw)
    ->Apply(RequestSizes)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The walk over bytes already in memory, without the file: what ReadGDT adds to the read.
void BM_ParseRequest(benchmark::State& state) {
    const std::string text = makeRequest(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseRequest(text));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseRequest)->Apply(RequestSizes);

// 100 order files of a 2 KB request through the program's own write path: WriteGDT stages each
// file (written) and the commit flushes it and gives it its name.
void BM_Write100Orders_2KB(benchmark::State& state) {
    fs::path program = scratch("morvik-bench-write");
    fs::create_directories(program / "out");
    BenchClock clock;
    ErrorLog log(program, clock);
    AccessionCounter counter(program, log);
    OrderFormat format;
    format.targetFolder = (program / "out").string();
    format.konica = true;
    format.accession = true;
    format.accessionPrefix = "RAD";
    const OrderChoice choice{"Röntgen", "links", "AB"};
    std::string request = makeRequest(2048);
    for (auto _ : state) {
        auto numbers = counter.IssueNumbers(100);
        if (!numbers) state.SkipWithError("no accession numbers");
        for (const std::string& number : numbers.value_or(std::vector<std::string>(100))) {
            auto file =
                WriteGDT(format, log, request, choice, {"Thorax p.a.", "THX", "T01"}, number);
            if (!file) {
                state.SkipWithError("order not written");
                break;
            }
            file->Commit();
        }
        state.PauseTiming();
        fs::remove_all(program / "out");
        fs::create_directories(program / "out");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Write100Orders_2KB)->Unit(benchmark::kMillisecond);

// The same 100 files by plain calls: each written under a temporary name, flushed and renamed,
// then the folder flushed once.
void BM_Write100FilesRaw_2KB(benchmark::State& state) {
    fs::path out = scratch("morvik-bench-write-raw");
    const std::string text = makeRequest(2048) + std::string(200, 'x');
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            const fs::path tmp = out / (std::to_string(i) + ".tmp");
            const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 ||
                ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
                state.SkipWithError("cannot write");
            }
            ::fsync(fd);
            ::close(fd);
            ::rename(tmp.c_str(), (out / (std::to_string(i) + ".gdt")).c_str());
        }
        const int dir = ::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(dir);
        ::close(dir);
        state.PauseTiming();
        fs::remove_all(out);
        fs::create_directories(out);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Write100FilesRaw_2KB)->Unit(benchmark::kMillisecond);

}  // namespace
