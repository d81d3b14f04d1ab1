#include "ordering.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <thread>
#include <utility>
#include <vector>

#include "platform.h"

namespace {

// Partition sort of the records lo..hi by their keys, keys moving with
// their records. The pivot is the middle record's key, taken once. The
// same swaps on record numbers give the same order as on the records.
template <class Record>
void sortByKey(Record* list, double* key, int lo, int hi)
{
    int i = lo;
    int j = hi;
    double pivot = key[lo + (hi - lo) / 2];
    while (i <= j) {
        while (key[i] < pivot) ++i;
        while (key[j] > pivot) --j;
        if (i <= j) {
            if (i != j) {
                std::swap(list[i], list[j]);
                std::swap(key[i], key[j]);
            }
            ++i;
            --j;
        }
    }
    if (lo < j) sortByKey(list, key, lo, j);
    if (i < hi) sortByKey(list, key, i, hi);
}

}  // namespace

// Each record's distance is computed once, not at every comparison: the
// same numbers in the same partition sort give the same order, ten times
// faster for a large list.
void orderByDistance(Poi* list, int count, double length, double wide, std::vector<double>* keys)
{
    if (count <= 0) return;
    DistanceFrom here(length, wide);
    std::vector<double> key(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) key[static_cast<size_t>(i)] = here.to(list[i].length, list[i].wide);
    sortByKey(list, key.data(), 0, count - 1);
    if (keys) *keys = std::move(key);
}

bool isOrderedByDistance(const Poi* list, int count, double length, double wide)
{
    DistanceFrom here(length, wide);
    double previous = count > 0 ? here.to(list[0].length, list[0].wide) : 0.0;
    for (int i = 0; i < count - 1; ++i) {
        double next = here.to(list[i + 1].length, list[i + 1].wide);
        if (!(next >= previous)) return false;
        previous = next;
    }
    return true;
}

bool OrderedAround::farFrom(double here, double hereWide) const
{
    return greatCircleDistance(length, here, wide, hereWide) > kReorderKm;
}

void OrderedAround::take(double hereLength, double hereWide, std::vector<double>&& distances)
{
    length = hereLength;
    wide = hereWide;
    keys = std::move(distances);
    ++generation;
}

namespace {

constexpr int kIdle = 0;
constexpr int kOrdering = 1;
constexpr int kOrdered = 2;
constexpr int kCopying = 3;

}  // namespace

OrderAside::~OrderAside()
{
    while (state.load() == kOrdering) std::this_thread::yield();
    if (state.load() == kOrdered) free(result.list);
}

bool OrderAside::start(const Poi* list, int n, Place around)
{
    if (state.load() != kIdle) return false;
    copy = static_cast<Poi*>(malloc(static_cast<size_t>(n) * sizeof(Poi)));
    if (!copy && n > 0) return false;
    count = n;
    copied = 0;
    result = Result{};
    result.around = around;
    stale = false;
    state = kCopying;
    copyOn(list);
    return true;
}

// The positions never change; a latch that changes between the pieces is
// carried over at the end from the list in force (carryLatches).
void OrderAside::copyOn(const Poi* list)
{
    if (state.load() != kCopying) return;
    int end = std::min(count, copied + kCopyPiece);
    if (end > copied) memcpy(copy + copied, list + copied, static_cast<size_t>(end - copied) * sizeof(Poi));
    for (int i = copied; i < end; ++i)
        if (latched(list[i])) result.latchedThen.push_back(i);
    copied = end;
    if (copied < count) return;
    state = kOrdering;
    _beginthread(work, 0, this);
}

void OrderAside::forget()
{
    stale = true;
    if (state.load() != kCopying) return;
    free(copy);
    copy = nullptr;
    state = kIdle;
}

// The same distances and the same partition sort as orderByDistance, on the
// records' numbers: the same order; the check as isOrderedByDistance's.
void OrderAside::work(void* self)
{
    auto* aside = static_cast<OrderAside*>(self);
    Result& r = aside->result;
    size_t n = static_cast<size_t>(aside->count);
    DistanceFrom here(r.around.length, r.around.wide);
    r.keys.resize(n);
    for (size_t i = 0; i < n; ++i) r.keys[i] = here.to(aside->copy[i].length, aside->copy[i].wide);
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    if (n > 0) sortByKey(order.data(), r.keys.data(), 0, static_cast<int>(n) - 1);
    r.sorted = true;
    for (size_t i = 1; i < n; ++i)
        if (!(r.keys[i] >= r.keys[i - 1])) r.sorted = false;
    r.list = static_cast<Poi*>(malloc(n * sizeof(Poi)));
    if (r.list) {
        r.moved.resize(n);
        for (size_t i = 0; i < n; ++i) {
            r.list[i] = aside->copy[order[i]];
            r.moved[static_cast<size_t>(order[i])] = static_cast<int>(i);
        }
    }
    free(aside->copy);
    aside->copy = nullptr;
    aside->state.store(kOrdered, std::memory_order_release);
}

bool OrderAside::finished(Result& out)
{
    if (state.load(std::memory_order_acquire) != kOrdered) return false;
    out = std::move(result);
    result.list = nullptr;
    out.stale = stale;
    state = kIdle;
    return true;
}

void carryLatches(const Poi* list, int count, const OrderAside::Result& done)
{
    auto carry = [&](int i) {
        Poi& to = done.list[done.moved[static_cast<size_t>(i)]];
        to.alarm1Fired = list[i].alarm1Fired;
        to.alarm2Fired = list[i].alarm2Fired;
        to.alarm4Fired = list[i].alarm4Fired;
        to.latchRadius = list[i].latchRadius;
    };
    for (int i : done.latchedThen) carry(i);
    for (int i = 0; i < count; ++i)
        if (latched(list[i])) carry(i);
}
