#include "sounds.h"

#include "platform.h"

namespace {

const char* const kDing = "sounds\\ding.wav";
const char* const kWarning = "sounds\\Achtung.wav";
constexpr DWORD kFlags = SND_FILENAME | SND_ASYNC;

constexpr DWORD kFirstDataPauseMs = 1000;
constexpr DWORD kAlarm2PauseMs = 500;
constexpr DWORD kAlarm4PauseMs = 100;
constexpr int kAlarm4Dings = 4;

// Starts the file and returns at once; it cuts off whatever still plays.
void play(const char* file) { PlaySoundA(file, nullptr, kFlags); }

}  // namespace

void playFirstData(void*)
{
    play(kDing);
    Sleep(kFirstDataPauseMs);
    play(kDing);
    Sleep(kFirstDataPauseMs);
}

void playAlarm1(void*) { play(kDing); }

void playAlarm2(void*)
{
    play(kDing);
    Sleep(kAlarm2PauseMs);
    play(kDing);
}

void playAlarm4(void*)
{
    for (int i = 0; i < kAlarm4Dings; ++i) {
        play(kDing);
        Sleep(kAlarm4PauseMs);
    }
    play(kWarning);
}

void playWarning(void*) { play(kWarning); }
