// Reading the POI list again while the program runs: when its file is
// replaced (import-pois renames a new one over it) or a reload is asked for.
// The file is read on a thread of its own, so that the receive loop waits
// for nothing but the swap and one ordering; the main thread takes the new
// block over once it is read.
#pragma once

#include <atomic>

#include "loader.h"

// Seconds a changed list must stay unchanged before it is read.
constexpr int kSettleSeconds = 5;
// The same when its last line has no line end: a writer may be in the
// middle of it. Lists saved by Windows tools often end so, and are taken
// once this has passed.
constexpr int kSettleCutSeconds = 30;

class PoiReload {
public:
    // The file the list was read from, as it is now.
    void watch(const char* path);
    // Whether it was replaced or written since and has settled since: no
    // change for kSettleSeconds, or for kSettleCutSeconds while its last line
    // has no line end yet. A list copied in place, or over a slow link that
    // pauses, is never taken half-written. Looks at the file once a second
    // at most; now counts whole seconds.
    bool changeSettled(int now);
    const char* path() const { return file; }

    // Starts reading the file anew; false while a reading is still going on.
    bool start();
    // True once a reading has ended, with its block (which the caller now
    // owns, whatever became of the reading).
    bool finished(PoiFile& read);

private:
    static void readIn(void* self);

    char file[256] = "";
    long long version = -1;  // of the list in force
    long long seen = -1;     // of the file as last looked at
    int seenSince = 0;       // when that version was first seen
    int lastLook = -1;
    bool seenComplete = true;  // its last line had its line end
    std::atomic<int> state{0};  // 0 idle, 1 reading, 2 read
    PoiFile result{};
};

// Carries the latches of every POI that is still in the list (the same
// coordinates, way and name) from the old block to the new one, so that a
// reload next to a camera does not ring it again; returns how many.
int keepLatches(const Poi* old, int oldCount, Poi* fresh, int freshCount);
