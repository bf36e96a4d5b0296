// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// How long a press of "get" with "使用" ticked keeps the user waiting.
#include "zandrelDraw.h"

#include <benchmark/benchmark.h>

namespace {

// The longest gap in the generator's cycle: 637,160 draws before 1615 comes up.
void BM_DrawWorstCase(benchmark::State& state)
{
    long nDraws = 0;
    for (auto _ : state) {
        const CDrawResult result = DrawNumber(2253330762u, 3, true, 1615);
        nDraws = result.m_nDraws;
        benchmark::DoNotOptimize(result.m_strText.data());
    }
    state.counters["draws"] = static_cast<double>(nDraws);
}
BENCHMARK(BM_DrawWorstCase)->Unit(benchmark::kMillisecond);

// A spread of previous numbers and seeds: about 32,768 draws per search on average.
void BM_DrawAverageCase(benchmark::State& state)
{
    std::uint32_t nSeed = 12345;
    long nDraws = 0;
    long nPresses = 0;
    for (auto _ : state) {
        nSeed = nSeed * 1103515245u + 12345u;
        const CDrawResult result = DrawNumber(nSeed, 4, true, static_cast<int>(nSeed % 10000));
        nDraws += result.m_nDraws;
        ++nPresses;
        benchmark::DoNotOptimize(result.m_strText.data());
    }
    state.counters["draws/press"] = static_cast<double>(nDraws) / static_cast<double>(nPresses);
}
BENCHMARK(BM_DrawAverageCase)->Unit(benchmark::kMicrosecond);

// A press without the search: one draw.
void BM_DrawSingle(benchmark::State& state)
{
    std::uint32_t nSeed = 1;
    for (auto _ : state) {
        const CDrawResult result = DrawNumber(nSeed++, 4, false, 0);
        benchmark::DoNotOptimize(result.m_strText.data());
    }
}
BENCHMARK(BM_DrawSingle);

} // namespace
