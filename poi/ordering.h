// Keeping the POI list nearest-first around a position, so that the
// proximity check can stop at the first POI beyond its search radius.
#pragma once

#include <atomic>
#include <utility>
#include <vector>

#include "geo/geo.h"
#include "poi.h"

// Orders the records nearest-first around the position (decimal degrees);
// the latches move with their POIs. With keys: each record's distance from
// the position (km), in the new order.
void orderByDistance(Poi* list, int count, double length, double wide, std::vector<double>* keys = nullptr);

// Whether every record is at least as far from the position as the one before.
bool isOrderedByDistance(const Poi* list, int count, double length, double wide);

// Where the list was last ordered. The proximity walk stops at the first
// POI beyond 30 km in that order, so once the car is about 15 km from there
// a POI left behind can end the walk before one ahead is reached: the list
// is ordered again well before, kReorderKm on.
constexpr double kReorderKm = 5.0;

struct OrderedAround {
    double length = 0;
    double wide = 0;
    // Each POI's distance from there (km), in list order, so ascending; empty
    // while the list in force was not ordered with them. With them the
    // proximity check computes the distance only of the POIs that can matter.
    std::vector<double> keys;
    // Counts the orders taken and forgotten, so that a record of measures
    // made in one order (the proximity check's) sees when it no longer holds.
    unsigned generation = 0;

    bool farFrom(double length, double wide) const;
    // The keys of a list just ordered around here.
    void take(double length, double wide, std::vector<double>&& keys);
    void forget() { keys.clear(), ++generation; }
};

// From this many POIs on, the list is ordered on a thread of its own (it
// takes 18 ms for 100,000 here, several times that on a small board): the
// receive loop goes on checking fixes against the order in force and takes
// the new order once it is ready, with the latches the POIs hold by then.
constexpr int kOrderAsideFrom = 50000;

class OrderAside {
public:
    struct Result {
        Place around;
        Poi* list = nullptr;     // the records in the new order (malloc), as they were at the start
        std::vector<int> moved;  // where each record of the list in force went
        std::vector<int> latchedThen;  // the records holding a latch when the ordering began
        std::vector<double> keys;
        bool sorted = false;
        bool stale = false;  // the list was replaced while it was ordered: nothing to take
    };
    OrderAside() = default;
    ~OrderAside();  // waits for an ordering still running
    OrderAside(const OrderAside&) = delete;
    OrderAside& operator=(const OrderAside&) = delete;
    // Starts ordering the list around here, on a copy made kCopyPiece
    // records at a time by the calls of copyOn; false while an ordering
    // runs, or without memory for the copy.
    bool start(const Poi* list, int count, Place around);
    // Called often with the list in force: copies the next piece of it;
    // the last one starts the ordering on its thread.
    void copyOn(const Poi* list);
    bool busy() const { return state.load() != 0; }
    // The list it orders is gone (a new one was loaded).
    void forget();
    // True once an ordering has ended, with its result (whose list the caller now owns).
    bool finished(Result& out);

    static constexpr int kCopyPiece = 32768;  // 2 MB: a few ms of the loop's time

private:
    static void work(void* self);
    std::atomic<int> state{0};  // 0 idle, 1 ordering, 2 ordered, 3 copying
    Poi* copy = nullptr;
    int count = 0;
    int copied = 0;
    bool stale = false;
    Result result;
};

// The latches the records of the list in force hold now, carried to the
// records of its new order: those it held when the ordering began and those
// it holds now; no other record has one.
void carryLatches(const Poi* list, int count, const OrderAside::Result& done);
