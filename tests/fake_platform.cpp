#include "fake_platform.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace fake {

State state;

std::vector<std::string> callsNamed(const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& c : state.calls)
        if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
}

void feed(const std::string& bytes) { state.line.insert(state.line.end(), bytes.begin(), bytes.end()); }

}  // namespace fake

using fake::state;

// 2023-11-14 22:13:20 UTC; a port found at 9600 baud, 7 data bits.
void resetTestPlatform()
{
    state = fake::State{};
    state.clockMs = 1700000000000LL;
    state.tickMs = 3600000;
    state.portDcb.BaudRate = 9600;
    state.portDcb.ByteSize = 7;
}

namespace {

bool call(const std::string& name, const std::string& detail = "")
{
    state.calls.push_back(detail.empty() ? name : name + " " + detail);
    return state.failing.count(name) == 0;
}

}  // namespace

std::time_t clockNow() { return static_cast<std::time_t>(state.clockMs / 1000); }
ULONGLONG GetTickCount64() { return static_cast<ULONGLONG>(state.tickMs); }
std::tm localClock(std::time_t t) { return *std::gmtime(&t); }  // tests read the clock in UTC
const char* builtinPoiPath() { return state.poiPath.c_str(); }
const char* workingDirectory() { return "/home/tester/drive"; }
const char* exampleConfig() { return "/etc/poiguard/config.txt"; }
const char* poiListToMake(const char*) { return state.poiPath.c_str(); }
void catchReloadSignal() { call("catchReloadSignal"); }
bool readsGpsd() { return true; }
const char* openFailure() { return "COM3 (a link to /dev/gps0): No such file or directory"; }
const char* userName() { return "tester"; }
const char* importCommand() { return "poiguard-import-pois"; }
bool reloadRequested() { return std::exchange(state.reloadSignal, false); }

void Sleep(DWORD ms)
{
    call("Sleep", std::to_string(ms));
    state.clockMs += ms;
    state.tickMs += ms;
}

// A thread started otherwise than with the default stack and no argument is
// recorded as a null procedure. Threads with an argument (a list read anew)
// always run at once.
extern "C" uintptr_t _beginthread(void (*procedure)(void*), unsigned stackSize, void* argument)
{
    state.threads.push_back(stackSize == 0 && argument == nullptr ? procedure : nullptr);
    if (argument && state.holdThreads) state.held.emplace_back(procedure, argument);
    else if (state.runThreads || argument) procedure(argument);
    return 1;
}

BOOL PlaySoundA(LPCSTR sound, HMODULE, DWORD flags)
{
    return call("PlaySoundA", std::string(sound) + (flags == (SND_FILENAME | SND_ASYNC) ? "" : " bad-flags"));
}

// A language's voice fails when speechStart is among the failing calls.
bool speechStart(const char* language, char* why, int size)
{
    if (call("speechStart", language)) return true;
    snprintf(why, static_cast<size_t>(size), "no voice for %s", language);
    return false;
}

int speechPrepare(const char* text)
{
    state.phrases.push_back(text);
    return static_cast<int>(state.phrases.size()) - 1;
}

void speechPlay(int phrase) { call("speechPlay", state.phrases.at(static_cast<size_t>(phrase))); }
void speechForget(int phrase) { call("speechForget", state.phrases.at(static_cast<size_t>(phrase))); }

int wsprintfA(char* buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer, 1024, format, args);
    va_end(args);
    return n;
}

HANDLE CreateFileA(LPCSTR name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE)
{
    if (!call("CreateFileA", name)) return INVALID_HANDLE_VALUE;
    state.portOpen = true;
    return reinterpret_cast<HANDLE>(0x1234);
}

BOOL GetCommTimeouts(HANDLE, COMMTIMEOUTS* t) { return call("GetCommTimeouts") && (*t = state.portTimeouts, true); }
BOOL GetCommState(HANDLE, DCB* d) { return call("GetCommState") && (*d = state.portDcb, true); }
BOOL SetCommTimeouts(HANDLE, COMMTIMEOUTS* t) { return call("SetCommTimeouts") && (state.portTimeouts = *t, true); }
BOOL SetCommState(HANDLE, DCB* d) { return call("SetCommState", std::to_string(d->BaudRate)) && (state.portDcb = *d, true); }

// Each call takes one item of the line; an empty line times out.
BOOL ReadFile(HANDLE, void* buffer, DWORD, DWORD* read, void*)
{
    *read = 0;
    int item = state.line.empty() ? fake::kTimeout : state.line.front();
    if (!state.line.empty()) state.line.pop_front();
    if (item == fake::kReadError) return FALSE;
    if (item == fake::kTimeout) {
        state.clockMs += 400;  // the port's read time-out
        state.tickMs += 400;
        return TRUE;
    }
    bool garbled = state.lineBaud != 0 && state.portDcb.BaudRate != state.lineBaud;
    *static_cast<unsigned char*>(buffer) = static_cast<unsigned char>(garbled ? item ^ 0x55 : item);
    *read = 1;
    return TRUE;
}

BOOL WriteFile(HANDLE, const void*, DWORD length, DWORD* written, void*) { return *written = length, call("WriteFile"); }
BOOL TransmitCommChar(HANDLE, char) { return call("TransmitCommChar"); }
BOOL CloseHandle(HANDLE) { return state.portOpen = false, call("CloseHandle"); }
