// A platform the tests script: a serial line fed from a queue, the calls
// recorded in order, a clock that moves only when slept on or told to.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"

namespace fake {

constexpr int kTimeout = -1;    // an item of the line: one ReadFile that times out
constexpr int kReadError = -2;  // one ReadFile that fails

struct State {
    std::vector<std::string> calls;  // "CreateFileA \\.\COM3", "Sleep 100", "PlaySoundA sounds\ding.wav"
    std::set<std::string> failing;   // names of the calls that fail
    std::deque<int> line;            // bytes, and the items above
    DWORD lineBaud = 0;              // the receiver's speed: at any other, bytes come garbled; 0: any
    DCB portDcb{};                   // the port's line settings
    COMMTIMEOUTS portTimeouts{};
    bool portOpen = false;
    std::vector<void (*)(void*)> threads;  // procedures started, in order
    bool runThreads = true;                // run each at once, on the caller's thread
    // Threads with an argument held here instead of run at once (a phrase's turn after its pattern).
    bool holdThreads = false;
    std::vector<std::pair<void (*)(void*), void*>> held;
    std::vector<std::string> phrases;  // speechPrepare's texts, by their numbers
    long long clockMs = 0;  // the wall clock
    long long tickMs = 0;   // since the system started: moves with the wall clock, never stepped
    std::string poiPath = "builtin-poi.csv";
    bool reloadSignal = false;   // a SIGHUP not taken yet
};

extern State state;
std::vector<std::string> callsNamed(const std::string& prefix);
void feed(const std::string& bytes);

}  // namespace fake
