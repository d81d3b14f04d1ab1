// Where the receiver's NMEA bytes come from: a serial port, or gpsd's NMEA
// stream. One is chosen at start-up from the settings; the receive loop
// opens, reads, watches and closes it without asking which.
#pragma once

#include "config/settings.h"
#include "log/log.h"
#include "serial/line_speed.h"
#include "serial/serial.h"

class NmeaSource {
public:
    virtual ~NmeaSource() = default;
    // Start-up's line, and where every line of the source goes.
    virtual void setLog(Log* log) = 0;
    // 1 once open.
    virtual int open() = 0;
    // Once open: what the connection needs before reading (`now` in seconds
    // of the steady clock); false when it cannot have it.
    virtual bool start(int /*now*/) { return true; }
    // Up to kReadChunk bytes into buffer; 0 after a time-out.
    virtual int read(char* buffer) = 0;
    // Whether a read failed since it was opened: the device is gone, or
    // gpsd closed the connection.
    virtual bool lost() const = 0;
    // 1 when it closed cleanly.
    virtual int close() = 0;
    // A sentence was handed over (before the parser blanks its commas).
    virtual void heard(const char* /*sentence*/) {}
    // After each read pass: false when the connection must end.
    virtual bool tick(int /*now*/) { return true; }
    // What the loop says when it does not open (before "serial.open
    // failed"), and when it is lost.
    virtual void describeNotOpen() const {}
    virtual void describeLost(int reconnectSeconds) const = 0;
};

// A COM port by its number or its device's name, at the line speed
// baudRate asks for.
class SerialSource : public NmeaSource {
public:
    SerialSource(int portNumber, const char* device, int baudRate);
    void setLog(Log* log) override;
    int open() override;
    bool start(int now) override { return !lineSpeed.given() || lineSpeed.start(serial, log, now); }
    int read(char* buffer) override { return serial.read(buffer); }
    bool lost() const override { return serial.lost(); }
    int close() override { return serial.Close(); }
    void heard(const char* sentence) override { lineSpeed.heard(sentence, log); }
    bool tick(int now) override { return lineSpeed.tick(serial, log, now); }
    void describeLost(int reconnectSeconds) const override;

    CSerial serial;
    LineSpeed lineSpeed;

private:
    int portNumber;
    char device[kPoiFileSize];
    Log* log = nullptr;
};

// gpsd's NMEA stream: "gpsd://HOST:PORT" through the comm calls, with the
// serial port's time-outs and no line to set.
class GpsdSource : public NmeaSource {
public:
    explicit GpsdSource(const char* hostPort);
    ~GpsdSource() override { close(); }
    void setLog(Log* log) override;
    int open() override;
    int read(char* buffer) override;
    bool lost() const override { return readFailed; }
    int close() override;
    void describeNotOpen() const override;
    void describeLost(int reconnectSeconds) const override;

private:
    char hostPort[kPoiFileSize];
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool readFailed = false;
    Log* log = nullptr;
};

// gpsd when the settings name it, the serial port otherwise: a new source,
// which the caller deletes. (<memory> is left out of this header: on
// MinGW it brings the run-time's own declaration of _beginthread.)
NmeaSource* chooseSource(const Settings& settings);
