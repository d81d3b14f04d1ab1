// The POI list's costs at 10,000, 100,000 and 1,000,000 POIs, each beside
// the floor it is measured against:
//   loading        vs reading the same file line by line
//   ordering       vs std::sort on distances computed once per POI
//   one fix        (an RMC sentence through the parser and the proximity check, 100,000 POIs)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "app/poiguard.h"
#include "geo/geo.h"
#include "poi/loader.h"
#include "poi/ordering.h"
#include "poi/reload.h"

namespace {

constexpr double kLength = 8.80;
constexpr double kWide = 53.07;

Log* quietLog()
{
    static Log* log = [] {
        if (!freopen("/dev/null", "w", stdout)) abort();
        return new Log;
    }();
    return log;
}

// POIs spread over about 200 km around Bremen, as a country's list would be;
// with extras, each has a speed limit and a direction (one way or both);
// packed, all of them in 54 x 44 km around the car, as a region's traffic
// lights or a city's danger zones.
enum Layout { kSpread, kExtras, kPacked };
const std::string& poiFile(int count, Layout layout = kSpread)
{
    static std::string paths[9];
    std::string& path = paths[(count == 10000 ? 0 : count == 100000 ? 1 : 2) + 3 * layout];
    bool extras = layout == kExtras;
    double lengths = layout == kPacked ? 0.4 : 1.5, wides = layout == kPacked ? 0.2 : 1.0;
    if (path.empty()) {
        path = "/tmp/poiguard-bench-" + std::to_string(count) + "-" + std::to_string(layout) + ".csv";
        FILE* f = fopen(path.c_str(), "w");
        std::mt19937 random(count);
        std::uniform_real_distribution<double> spread(-1.0, 1.0);
        for (int i = 0; i < count; ++i) {
            fprintf(f, "%.5f, %.5f, \"[%d]\"", kLength + lengths * spread(random), kWide + wides * spread(random), i);
            if (extras) fprintf(f, i % 2 ? ", %d, %d" : ", %d, %d/%d", 30 + i % 100, i % 180, i % 180 + 180);
            fputc('\n', f);
        }
        fclose(f);
    }
    return path;
}

// The whole program's state around the list, for the one-fix figure.
void loadInto(CPoiGuard& guard, int count, Layout layout = kSpread)
{
    guard.log = quietLog();
    guard.loadPoiList(poiFile(count, layout).c_str());
    guard.lastPosLength = kLength;
    guard.lastPosWide = kWide;
    guard.position.known = true;
}

void BM_Load(benchmark::State& state)
{
    const std::string& path = poiFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PoiFile file = readPoiFile(path.c_str(), quietLog());
        benchmark::DoNotOptimize(file.count);
        free(file.list);
    }
}

void BM_ReadLinesFloor(benchmark::State& state)
{
    const std::string& path = poiFile(static_cast<int>(state.range(0)));
    char line[1024];
    for (auto _ : state) {
        FILE* f = fopen(path.c_str(), "r");
        int lines = 0;
        while (fgets(line, sizeof line, f)) ++lines;
        fclose(f);
        benchmark::DoNotOptimize(lines);
    }
}

std::vector<Poi> loaded(int count, Layout layout = kSpread)
{
    PoiFile file = readPoiFile(poiFile(count, layout).c_str(), quietLog());
    std::vector<Poi> pois(file.list, file.list + file.count);
    free(file.list);
    return pois;
}

// Ordered and the order checked, as the program does it (on a thread of
// its own from 50,000 POIs on). Second argument 1: packed.
void BM_Order(benchmark::State& state)
{
    std::vector<Poi> asLoaded = loaded(static_cast<int>(state.range(0)), state.range(1) ? kPacked : kSpread), pois;
    for (auto _ : state) {
        state.PauseTiming();
        pois = asLoaded;
        state.ResumeTiming();
        orderByDistance(pois.data(), static_cast<int>(pois.size()), kLength, kWide);
        if (!isOrderedByDistance(pois.data(), static_cast<int>(pois.size()), kLength, kWide))
            state.SkipWithError("not ordered");
    }
}

void BM_StdSortFloor(benchmark::State& state)
{
    std::vector<Poi> asLoaded = loaded(static_cast<int>(state.range(0)));
    std::vector<std::pair<double, int>> keyed(asLoaded.size());
    std::vector<Poi> out(asLoaded.size());
    for (auto _ : state) {
        for (size_t i = 0; i < asLoaded.size(); ++i)
            keyed[i] = {greatCircleDistance(kLength, asLoaded[i].length, kWide, asLoaded[i].wide), static_cast<int>(i)};
        std::sort(keyed.begin(), keyed.end());
        for (size_t i = 0; i < keyed.size(); ++i) out[i] = asLoaded[static_cast<size_t>(keyed[i].second)];
        benchmark::DoNotOptimize(out.data());
    }
}

// What a reload costs the receive loop: the latches carried over (five
// POIs have sounded) and the new list ordered, once the thread has read it
// (BM_Load).
void BM_ReloadStall(benchmark::State& state)
{
    std::vector<Poi> old = loaded(static_cast<int>(state.range(0))), fresh;
    for (int i = 0; i < 5; ++i) old[static_cast<size_t>(i) * 1000].alarm1Fired = 1;
    for (auto _ : state) {
        state.PauseTiming();
        fresh = old;
        for (Poi& p : fresh) p.alarm1Fired = 0;
        state.ResumeTiming();
        int kept = keepLatches(old.data(), static_cast<int>(old.size()), fresh.data(), static_cast<int>(fresh.size()));
        orderByDistance(fresh.data(), static_cast<int>(fresh.size()), kLength, kWide);
        if (kept != 5 || !isOrderedByDistance(fresh.data(), static_cast<int>(fresh.size()), kLength, kWide))
            state.SkipWithError("latches lost or not ordered");
    }
}

// Argument 1: with warnAheadOnly=true and warnSeconds=15, at 130 km/h.
// Argument 2: the same with a limit and a direction on every POI, and
// warnOverLimitOnly=true.
void BM_OneFix(benchmark::State& state)
{
    CPoiGuard guard;
    loadInto(guard, 100000, state.range(0) == 2 ? kExtras : kSpread);
    guard.sortPoiList();
    while (!guard.PoiListSorted) guard.takeOrderedList();
    const char* fix = "$GPRMC,120000,A,5304.2000,N,00848.0000,E,0.0,0.0,061226,,*1B";
    if (state.range(0) >= 1) {
        guard.rules.aheadOnly = true;
        guard.rules.seconds = 15;
        guard.rules.overLimitOnly = state.range(0) == 2;
        fix = "$GPRMC,120000,A,5304.2000,N,00848.0000,E,70.2,0.0,061226,,*2E";
    }
    char sentence[128];
    for (auto _ : state) {
        strcpy(sentence, fix);
        if (guard.parseSentence(sentence) != 0) state.SkipWithError("fix rejected");
    }
}

// RMC sentences of a drive north at 130 km/h, 10 Hz, from 1.8 km south of
// the bench's centre to 1.8 km north of it.
const std::vector<std::string>& driveNorth()
{
    static std::vector<std::string> drive;
    for (int i = 0; drive.empty() || i < 1000; ++i) {
        double wide = kWide - 0.0162 + i * 0.0000325;  // 3.61 m a fix
        double minutes = (wide - 53) * 60;
        char body[96], sentence[128];
        snprintf(body, sizeof body, "GPRMC,120000,A,53%07.4f,N,00848.0000,E,70.2,0.0,061226,,", minutes);
        unsigned sum = 0;
        for (const char* c = body; *c; ++c) sum ^= static_cast<unsigned char>(*c);
        snprintf(sentence, sizeof sentence, "$%s*%02X", body, sum);
        drive.push_back(sentence);
    }
    return drive;
}

// One fix of that drive with warnAheadOnly=true and warnSeconds=15, the list
// ordered around the bench's centre, by the list's size and layout (0
// spread, 1 packed) and walk: 0 the whole walk (as before the ordering kept
// its keys), 1 the walk bounded by the keys.
void BM_FixBy(benchmark::State& state)
{
    CPoiGuard guard;
    loadInto(guard, static_cast<int>(state.range(0)), state.range(1) ? kPacked : kSpread);
    guard.sortPoiList();
    while (!guard.PoiListSorted) guard.takeOrderedList();
    guard.firstSortDone = 1;  // not ordered again at the first fix
    if (state.range(2) == 0) guard.ordered.keys.clear();
    guard.rules.aheadOnly = true;
    guard.rules.seconds = 15;
    const std::vector<std::string>& drive = driveNorth();
    char sentence[128];
    size_t next = 0;
    for (auto _ : state) {
        strcpy(sentence, drive[next++ % drive.size()].c_str());
        if (guard.parseSentence(sentence) != 0) state.SkipWithError("fix rejected");
    }
    state.counters["within30km"] = guard.proximity.withinSearch;
}

// The receive loop while a large list is ordered aside: fixes every
// 100 ms of the program's work, the ordering started on one and taken on a
// later pass. The longest single step, start and swap included, in ms.
void BM_LoopWhileOrdering(benchmark::State& state)
{
    CPoiGuard guard;
    loadInto(guard, static_cast<int>(state.range(0)), state.range(1) ? kPacked : kSpread);
    guard.sortPoiList();
    while (!guard.PoiListSorted) guard.takeOrderedList();
    const char* fix = "$GPRMC,120000,A,5304.2000,N,00848.0000,E,70.2,0.0,061226,,*2E";
    char sentence[128];
    double longest = 0, start = 0, swap = 0;
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a) { return std::chrono::duration<double, std::milli>(Clock::now() - a).count(); };
    for (auto _ : state) {
        Clock::time_point t = Clock::now();
        guard.lastPosWide += 0.00001;
        guard.sortPoiList();
        start = std::max(start, ms(t));
        bool taken = false;
        while (!taken) {
            t = Clock::now();
            strcpy(sentence, fix);
            guard.parseSentence(sentence);
            longest = std::max(longest, ms(t));
            t = Clock::now();
            const Poi* before = guard.poiList;
            guard.takeOrderedList();
            double took = ms(t);
            taken = guard.poiList != before;
            if (taken) swap = std::max(swap, took);
            longest = std::max(longest, took);
        }
    }
    state.counters["start_ms"] = start;
    state.counters["swap_ms"] = swap;
    state.counters["longest_ms"] = std::max(longest, start);
}

}  // namespace

BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLinesFloor)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Order)->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortFloor)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadStall)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneFix)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FixBy)->ArgsProduct({{10000, 100000, 1000000}, {0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoopWhileOrdering)->Args({100000, 0})->Args({1000000, 0})->Iterations(5)->Unit(benchmark::kMillisecond);
// The program prints its messages on standard output, which the benchmarks
// send to /dev/null; the figures go to standard error.
int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_Tabular);  // no colours in a file
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
