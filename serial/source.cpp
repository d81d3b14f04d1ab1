#include "source.h"

#include <cstdio>

namespace {

constexpr int kByteSize = 8;
constexpr int kStopBits = 1;
constexpr int kParity = 0;
constexpr DWORD kGpsdTimeoutMs = 200;  // as the serial port's: the loop's watchdog counts on them

}  // namespace

SerialSource::SerialSource(int number, const char* name, int baudRate) : portNumber(number)
{
    snprintf(device, sizeof device, "%s", name);
    lineSpeed.configure(baudRate);
}

void SerialSource::setLog(Log* theLog)
{
    log = theLog;
    serial.setLog(log);
}

int SerialSource::open()
{
    return device[0] ? serial.open(device, kLineBaudRate, kByteSize, kStopBits, kParity)
                     : serial.open(portNumber, kLineBaudRate, kByteSize, kStopBits, kParity);
}

void SerialSource::describeLost(int reconnectSeconds) const
{
    logMessage(log, "Reading from serial Port failed, the device is gone, try to reconnect in %dsec\n", reconnectSeconds);
}

GpsdSource::GpsdSource(const char* address) { snprintf(hostPort, sizeof hostPort, "%s", address); }

// The same line as a serial port's at the start, which readers of the log know.
void GpsdSource::setLog(Log* theLog)
{
    log = theLog;
    log->print("CSerial::setLog(Log _log) finished\n");
}

int GpsdSource::open()
{
    if (handle != INVALID_HANDLE_VALUE) {
        log->print("hComm==INVALID_HANDLE_VALUE\n");  // the serial port's words: open already
        return 1;
    }
    char path[kPoiFileSize + 16];
    snprintf(path, sizeof path, "%s%s", kGpsdScheme, hostPort);
    logMessage(log, "Try to open %s\n", path);
    readFailed = false;
    handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    logMessage(log, "hComm=%p\n", handle);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    COMMTIMEOUTS timeouts = {kGpsdTimeoutMs, kGpsdTimeoutMs, kGpsdTimeoutMs, kGpsdTimeoutMs, kGpsdTimeoutMs};
    SetCommTimeouts(handle, &timeouts);
    return 1;
}

int GpsdSource::read(char* buffer)
{
    if (handle == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    while (count < kReadChunk) {
        DWORD got = 0;
        if (!ReadFile(handle, buffer + count, 1, &got, nullptr)) {
            readFailed = true;
            return count;
        }
        if (got == 0) return count;
        ++count;
    }
    return count;
}

int GpsdSource::close()
{
    if (handle == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return 1;
}

void GpsdSource::describeNotOpen() const
{
    logMessage(log, "gpsd does not answer at %s: not running yet, or stopped\n", hostPort);
}

void GpsdSource::describeLost(int reconnectSeconds) const
{
    logMessage(log, "gpsd at %s closed the connection, try to reconnect in %dsec\n", hostPort, reconnectSeconds);
}

NmeaSource* chooseSource(const Settings& settings)
{
    if (settings.gpsd[0]) return new GpsdSource(settings.gpsd);
    return new SerialSource(settings.comPort, settings.comDevice, settings.baudRate);
}
