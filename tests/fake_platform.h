// A platform the tests script: a serial port fed from a queue, every platform
// call recorded in order, a clock that only moves when told (or slept on).
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform.h"

namespace fake {

// Items of the scripted serial line.
constexpr int kTimeout = -1;  // one ReadFile that times out with no byte
constexpr int kReadError = -2;  // one ReadFile that fails

struct State {
    std::vector<std::string> calls;  // "CreateFileA \\.\COM3", "Sleep 100", "PlaySoundA sounds\ding.wav"
    std::set<std::string> failing;   // names of the calls that fail
    std::deque<int> line;            // bytes (0-255) and the markers above
    DCB portDcb{};                   // the port's current line settings
    COMMTIMEOUTS portTimeouts{};
    bool portOpen = false;
    std::vector<void (*)(void*)> threads;  // procedures started, in order
    bool runThreads = true;                // run each started procedure at once
    long long clockMs = 0;                 // Sleep() and empty reads move it
    std::string poiPath = "builtin-poi.csv";
    long long escapeAfterPauses = -1;  // Sleep(10000) throws Escape once this reaches 0
};

// Thrown out of the receive loop's reconnect pause, so a test can leave the
// loop that the program itself never leaves.
struct Escape {
};

extern State state;
void reset(long long startSeconds = 1700000000);
std::vector<std::string> callsNamed(const std::string& prefix);
void feed(const std::string& bytes);

}  // namespace fake
