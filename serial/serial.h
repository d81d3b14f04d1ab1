#pragma once

#include "log/log.h"
#include "platform.h"

// One COM port with the receiver's fixed line settings and short time-outs.
// open() remembers what the port had, Close() puts it back. Results are
// 1 for success and 0 for failure; read() returns a byte count.
class CSerial {
public:
    CSerial();
    ~CSerial();
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;

    void setLog(Log* log);
    // The port by its number (\\.\COM<port>) or by its device's name.
    int open(int port, int baudRate, int byteSize, int stopBits, int parity);
    int open(const char* device, int baudRate, int byteSize, int stopBits, int parity);
    int Close();
    int read(char* buffer);
    // Whether a read failed since the port was opened: the device is gone.
    int lost() const { return readFailed; }
    int changeParams(int baudRate, int byteSize, int stopBits, int parity);

private:
    void report(const char* text);

    HANDLE hComm;
    char failureShown[512];  // why the port did not open, as last reported
    DCB savedDcb;
    COMMTIMEOUTS savedTimeouts;
    Log* log;
    int logEnabled;
    int readFailed;
};

// The line speed open() sets, whatever it is asked for.
constexpr int kLineBaudRate = 38400;

// Bytes that one read() hands back at most.
constexpr int kReadChunk = 4;
