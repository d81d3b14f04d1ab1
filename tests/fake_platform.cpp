#include "fake_platform.h"

#include <cstdarg>
#include <cstring>

namespace fake {

State state;

void reset(long long startSeconds)
{
    state = State{};
    state.clockMs = startSeconds * 1000;
    state.portDcb.BaudRate = 9600;
    state.portDcb.ByteSize = 7;
    state.portDcb.XonChar = 0x11;
}

std::vector<std::string> callsNamed(const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& c : state.calls)
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}

void feed(const std::string& bytes)
{
    for (unsigned char c : bytes) state.line.push_back(c);
}

}  // namespace fake

void resetTestPlatform() { fake::reset(); }

using fake::state;

namespace {

HANDLE const kPort = reinterpret_cast<HANDLE>(0x1234);

bool call(const std::string& name, const std::string& detail = "")
{
    state.calls.push_back(detail.empty() ? name : name + " " + detail);
    return state.failing.count(name) == 0;
}

}  // namespace

std::time_t clockNow() { return static_cast<std::time_t>(state.clockMs / 1000); }

std::tm localClock(std::time_t t) { return *std::gmtime(&t); }  // tests read the clock in UTC

const char* builtinPoiPath() { return state.poiPath.c_str(); }

void Sleep(DWORD milliseconds)
{
    call("Sleep", std::to_string(milliseconds));
    state.clockMs += milliseconds;
    if (milliseconds == 10000 && state.escapeAfterPauses >= 0 && state.escapeAfterPauses-- == 0) throw fake::Escape{};
}

extern "C" uintptr_t _beginthread(void (*procedure)(void*), unsigned, void* argument)
{
    state.threads.push_back(procedure);
    if (state.runThreads) procedure(argument);
    return 1;
}

BOOL PlaySoundA(LPCSTR sound, HMODULE, DWORD flags)
{
    call("PlaySoundA", std::string(sound) + (flags == (SND_FILENAME | SND_ASYNC) ? "" : " bad-flags"));
    return TRUE;
}

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
    return kPort;
}

BOOL GetCommTimeouts(HANDLE, COMMTIMEOUTS* t)
{
    if (!call("GetCommTimeouts")) return FALSE;
    *t = state.portTimeouts;
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE, COMMTIMEOUTS* t)
{
    if (!call("SetCommTimeouts", std::to_string(t->ReadTotalTimeoutConstant))) return FALSE;
    state.portTimeouts = *t;
    return TRUE;
}

BOOL GetCommState(HANDLE, DCB* dcb)
{
    if (!call("GetCommState")) return FALSE;
    *dcb = state.portDcb;
    return TRUE;
}

BOOL SetCommState(HANDLE, DCB* dcb)
{
    if (!call("SetCommState", std::to_string(dcb->BaudRate))) return FALSE;
    state.portDcb = *dcb;
    return TRUE;
}

BOOL ReadFile(HANDLE, void* buffer, DWORD, DWORD* read, void*)
{
    *read = 0;
    if (state.line.empty()) {
        state.clockMs += 400;  // the port's read time-out
        return TRUE;
    }
    int item = state.line.front();
    state.line.pop_front();
    if (item == fake::kReadError) return FALSE;
    if (item == fake::kTimeout) {
        state.clockMs += 400;
        return TRUE;
    }
    *static_cast<unsigned char*>(buffer) = static_cast<unsigned char>(item);
    *read = 1;
    return TRUE;
}

BOOL WriteFile(HANDLE, const void*, DWORD length, DWORD* written, void*)
{
    call("WriteFile", std::to_string(length));
    *written = length;
    return TRUE;
}

BOOL TransmitCommChar(HANDLE, char) { return call("TransmitCommChar"); }

BOOL CloseHandle(HANDLE)
{
    call("CloseHandle");
    state.portOpen = false;
    return TRUE;
}
