#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace morvik::bench {

// What one run of something took: its wall time, and where the run can tell it, the CPU time.
struct Took {
    std::chrono::duration<double> wall{};
    std::optional<std::chrono::duration<double>> cpu;
};

// The median of `values`, which it reorders; nothing for none.
std::optional<double> medianOf(std::vector<double>& values) {
    if (values.empty()) return std::nullopt;
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Two ways of doing the same in turn, each iteration both, which goes first alternating: this
// disk's flushes drift by a factor of two within seconds, and a pair taken together sees the same
// disk. Each side prepares untimed and returns the time of its own work, or nothing when it
// failed. `ratio` is the median of the pairs' ratios (wall time): the disk's own bursts of
// writing back, which hit whichever side flushes at that moment, move it less than a ratio of
// sums; the `_ms` counters are the means of each side. Where both sides tell their CPU time,
// `cpu_ratio` is the median of its ratios and `_cpu_ms` the means.
template <class First, class Second>
void runInPairs(benchmark::State& state, const char* firstName, First first, const char* secondName,
                Second second) {
    std::chrono::duration<double> wallTotal[2]{}, cpuTotal[2]{};
    std::vector<double> ratios, cpuRatios;
    bool firstGoesFirst = true;
    for (auto _ : state) {
        std::optional<Took> pair[2];
        for (const bool nowFirst : {firstGoesFirst, !firstGoesFirst}) {
            pair[nowFirst ? 0 : 1] = nowFirst ? first() : second();
        }
        firstGoesFirst = !firstGoesFirst;
        if (!pair[0] || !pair[1]) {
            state.SkipWithError("one side failed");
            break;
        }
        for (int side : {0, 1}) {
            wallTotal[side] += pair[side]->wall;
            if (pair[side]->cpu) cpuTotal[side] += *pair[side]->cpu;
        }
        ratios.push_back(pair[0]->wall.count() / std::max(pair[1]->wall.count(), 1e-9));
        if (pair[0]->cpu && pair[1]->cpu) {
            cpuRatios.push_back(pair[0]->cpu->count() / std::max(pair[1]->cpu->count(), 1e-9));
        }
        state.SetIterationTime((pair[0]->wall + pair[1]->wall).count());
    }
    auto ms = [&](std::chrono::duration<double> d) {
        return d.count() * 1000 /
               static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
    };
    const char* names[2] = {firstName, secondName};
    for (int side : {0, 1}) {
        state.counters[std::string(names[side]) + "_ms"] = ms(wallTotal[side]);
        if (!cpuRatios.empty()) {
            state.counters[std::string(names[side]) + "_cpu_ms"] = ms(cpuTotal[side]);
        }
    }
    if (const auto ratio = medianOf(ratios)) state.counters["ratio"] = *ratio;
    if (const auto ratio = medianOf(cpuRatios)) state.counters["cpu_ratio"] = *ratio;
}

}  // namespace morvik::bench
