// A clock and sound that do nothing, for benchmarks that use the real
// serial layer or none: no pause, no sound. Sounds start no thread; work
// handed to a thread (an argument given) gets one, as in the program.
#include <thread>

#include "platform.h"

void Sleep(DWORD) {}
ULONGLONG GetTickCount64() { return static_cast<ULONGLONG>(std::time(nullptr)) * 1000; }
extern "C" uintptr_t _beginthread(void (*procedure)(void*), unsigned, void* argument)
{
    if (argument) std::thread(procedure, argument).detach();
    return 1;
}
BOOL PlaySoundA(LPCSTR, HMODULE, DWORD) { return TRUE; }
std::time_t clockNow() { return std::time(nullptr); }
std::tm localClock(std::time_t t) { return *std::gmtime(&t); }
const char* builtinPoiPath() { return "none"; }
void catchReloadSignal() {}
bool reloadRequested() { return false; }
bool readsGpsd() { return true; }
const char* openFailure() { return ""; }
const char* userName() { return "bench"; }
const char* importCommand() { return nullptr; }
bool speechStart(const char*, char*, int) { return false; }
int speechPrepare(const char*) { return 0; }
void speechPlay(int) {}
void speechForget(int) {}
