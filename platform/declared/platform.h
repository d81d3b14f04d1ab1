// The Win32 names the program calls, declared for systems that do not have
// them. Only what the program relies on is here; platform/posix implements
// it with termios, ALSA and POSIX threads, and the tests' fake platform
// implements it on every system.
#pragma once

#include <cstdint>

#include "../seam.h"

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef uint64_t ULONGLONG;
typedef void* HANDLE;
typedef void* HMODULE;
typedef const char* LPCSTR;

#define TRUE 1
#define FALSE 0
#define MAXDWORD 0xffffffffu
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(-1))

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x80

#define DTR_CONTROL_DISABLE 0
#define DTR_CONTROL_ENABLE 1
#define DTR_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_DISABLE 0
#define RTS_CONTROL_ENABLE 1
#define RTS_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_TOGGLE 3

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4
#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2

#define SND_ASYNC 0x0001
#define SND_FILENAME 0x00020000

// Laid out like the Windows record, so the flag word reads the same.
struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};

int wsprintfA(char* buffer, const char* format, ...) PRINTF_LIKE(2, 3);
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts);
BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts);
BOOL GetCommState(HANDLE h, DCB* dcb);
BOOL SetCommState(HANDLE h, DCB* dcb);
BOOL ReadFile(HANDLE h, void* buffer, DWORD length, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE h, const void* buffer, DWORD length, DWORD* written, void* overlapped);
BOOL TransmitCommChar(HANDLE h, char c);
BOOL CloseHandle(HANDLE h);

BOOL PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);
void Sleep(DWORD milliseconds);
ULONGLONG GetTickCount64();  // milliseconds since the system started; never stepped
extern "C" uintptr_t _beginthread(void (*procedure)(void*), unsigned stackSize, void* argument);
extern "C" int _mkdir(const char* path);  // a C run-time function on Windows
