#include "serial.h"

#include <cstdio>
#include <cstring>

#include "own_text.h"

namespace {

constexpr DWORD kTimeoutMs = 200;       // every member of COMMTIMEOUTS

}  // namespace

// The saved records start empty, so a Close() after an open() that failed
// before saving anything restores defined values.
CSerial::CSerial()
    : hComm(INVALID_HANDLE_VALUE), failureShown(""), savedDcb{}, savedTimeouts{}, log(nullptr), logEnabled(0),
      readFailed(0)
{
}

CSerial::~CSerial() { Close(); }

void CSerial::report(const char* text)
{
    if (logEnabled) log->print(text);
}

void CSerial::setLog(Log* theLog)
{
    log = theLog;
    logEnabled = 1;
    report("CSerial::setLog(Log _log) finished\n");
}

int CSerial::open(int port, int baudRate, int byteSize, int stopBits, int parity)
{
    char path[32];  // room for any int, minus sign included
    wsprintfA(path, "\\\\.\\COM%d", port);
    return open(path, baudRate, byteSize, stopBits, parity);
}

int CSerial::open(const char* path, int /*baudRate*/, int byteSize, int /*stopBits*/, int parity)
{
    if (hComm != INVALID_HANDLE_VALUE) {
        report("hComm==INVALID_HANDLE_VALUE\n");
        return 1;
    }
    if (logEnabled) logMessage(log, "Try to open %s\n", path);
    readFailed = 0;

    hComm = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logEnabled) logMessage(log, "hComm=%p\n", hComm);
    if (hComm == INVALID_HANDLE_VALUE) {
        report("Fehler beim Oeffnen des COM-Ports! in CreateFile()\n");
        // The device tried and the system's reason, once while they stay the same.
        if (logEnabled && strcmp(openFailure(), failureShown) != 0) {
            snprintf(failureShown, sizeof failureShown, "%s", openFailure());
            logMessage(log, "    %s; see \"The port\" in poiguard's README\n", failureShown);
        }
        return 0;
    }
    failureShown[0] = '\0';
    if (!GetCommTimeouts(hComm, &savedTimeouts)) {
        Close();
        report("Fehler beim Oeffnen des COM-Ports! in GetCommTimeouts()\n");
        return 0;
    }
    COMMTIMEOUTS timeouts = {kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs};
    if (!SetCommTimeouts(hComm, &timeouts)) {
        Close();
        report("Fehler beim " TEXT_O_UMLAUT "ffnen des COM-Ports! in SetCommTimeouts()\n");
        return 0;
    }
    DCB dcb;
    memset(&dcb, 0, sizeof dcb);
    if (!GetCommState(hComm, &dcb)) {
        Close();
        report("Fehler beim " TEXT_O_UMLAUT "ffnen des COM-Ports! in GetCommState()\n");
        return 0;
    }
    savedDcb = dcb;

    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = kLineBaudRate;
    dcb.fBinary = 1;
    dcb.fParity = parity != 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 1;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = 0;
    dcb.wReserved = 0;
    dcb.ByteSize = static_cast<BYTE>(byteSize);
    dcb.Parity = static_cast<BYTE>(parity);
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(hComm, &dcb)) {
        Close();
        report("Fehler beim setzen der COM-Port Parameter in SetCommState()\n");
        return 0;
    }
    return 1;
}

// The handle is released even when a restore fails: that is what happens
// when the receiver was unplugged, and keeping the dead handle would leave
// every later open() reading from a device that is gone.
int CSerial::Close()
{
    if (hComm == INVALID_HANDLE_VALUE) return 1;
    int restored = 1;
    if (!SetCommTimeouts(hComm, &savedTimeouts)) {
        report("Fehler beim Schlie" TEXT_SHARP_S "en des COM-Ports in SetCommTimeouts\n");
        restored = 0;
    } else if (!SetCommState(hComm, &savedDcb)) {
        report("Fehler beim Schlie" TEXT_SHARP_S "en des COM-Ports in SetCommState()\n");
        restored = 0;
    }
    CloseHandle(hComm);
    hComm = INVALID_HANDLE_VALUE;
    return restored;
}

int CSerial::read(char* buffer)
{
    if (hComm == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    while (count < kReadChunk) {
        DWORD got = 0;
        if (!ReadFile(hComm, buffer + count, 1, &got, nullptr)) {
            readFailed = 1;
            return count;
        }
        // A time-out ends the chunk; the bytes that came before it are
        // delivered, not thrown away.
        if (got == 0) return count;
        ++count;
    }
    return count;
}

int CSerial::changeParams(int baudRate, int byteSize, int stopBits, int parity)
{
    if (hComm == INVALID_HANDLE_VALUE) return 0;
    DCB dcb;
    memset(&dcb, 0, sizeof dcb);
    if (!GetCommState(hComm, &dcb)) {
        Close();
        report("Fehler beim " TEXT_A_UMLAUT "ndern der COM-Port Parameter in GetCommState()\n");
        return 0;
    }
    dcb.BaudRate = static_cast<DWORD>(baudRate);
    dcb.ByteSize = static_cast<BYTE>(byteSize);
    dcb.StopBits = static_cast<BYTE>(stopBits);
    dcb.Parity = static_cast<BYTE>(parity);
    if (!SetCommState(hComm, &dcb)) {
        Close();
        report("Fehler beim " TEXT_A_UMLAUT "ndern der COM-Port Parameter in SetCommState\n");
        return 0;
    }
    return 1;
}
