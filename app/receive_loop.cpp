// The receive loop: keep the port open, cut the byte stream into sentences,
// re-order the POI list now and then, and reconnect after silence or when
// the device is gone. It never ends.
#include <cstdio>
#include <cstring>

#include "alarm/sounds.h"
#include "app/poiguard.h"
#include "serial/serial.h"

namespace {

constexpr int kByteSize = 8;
constexpr int kStopBits = 1;
constexpr int kParity = 0;
constexpr int kReconnectSeconds = 10;
constexpr DWORD kReconnectPauseMs = kReconnectSeconds * 1000;
constexpr DWORD kIdlePauseMs = 1;
constexpr int kEchoLimit = kMessageSize - 2;  // room for the line feed and the NUL

// Seconds since the system started, for the watchdog and the ordering timer:
// a wall clock that is stepped (a board without a battery clock learning
// the time) would make them fire too early or far too late.
int secondsSinceStart() { return static_cast<int>(GetTickCount64() / 1000); }

}  // namespace

void CPoiGuard::receiveLoop(CSerial& serial, int portNumber)
{
    static ReceiveState st;  // 5 kB of buffers, kept off the stack
    st.portNumber = portNumber;
    setupReceive(serial, st);
    for (;;) {
        connect(serial, st);
        while (st.portOpen == 1)
            if (!readPass(serial, st)) break;
        disconnect(serial, st);
    }
}

void CPoiGuard::setupReceive(CSerial& serial, ReceiveState& st)
{
    memset(&st.framer, 0, sizeof st.framer);
    if (settings.gpsd[0])
        snprintf(st.device, sizeof st.device, "%s%s", kGpsdScheme, settings.gpsd);
    else
        snprintf(st.device, sizeof st.device, "%s", settings.comDevice);
    st.firstData = 1;
    serial.getTime(1);  // "its now ...": the wall clock, for the reader of the log
    st.nextSortTime = secondsSinceStart() + settings.updateInterval;
}

void CPoiGuard::connect(CSerial& serial, ReceiveState& st)
{
    st.lastDataTime = secondsSinceStart();
    st.portOpen = st.device[0] ? serial.open(st.device, kLineBaudRate, kByteSize, kStopBits, kParity)
                               : serial.open(st.portNumber, kLineBaudRate, kByteSize, kStopBits, kParity);
    if (st.portOpen == 1) {
        log->print("serial.open successfully\n");
        // gpsd has the receiver at its own speed: there is no line to set.
        if (lineSpeed.given() && !settings.gpsd[0] && !lineSpeed.start(serial, log, st.lastDataTime)) st.portOpen = 0;
    } else {
        if (settings.gpsd[0]) logMessage(log, "gpsd does not answer at %s: not running yet, or stopped\n", settings.gpsd);
        log->print("serial.open failed\n");
        logMessage(log, "Try to reconnect in %dsec\n", kReconnectSeconds);
    }
}

void CPoiGuard::disconnect(CSerial& serial, ReceiveState& st)
{
    st.portOpen = 0;
    coast.stop();
    if (serial.Close())
        log->print("serial.Close() successfully\n");
    else
        log->print("serial.Close() NOT successfully, maybe its never open\n");
    Sleep(kReconnectPauseMs);
}

void CPoiGuard::takeBytes(ReceiveState& st, const char* bytes, int count)
{
    st.framer.take(bytes, count, [&](char* sentence) {
        ConsoleBatch oneWrite;
        if (settings.fullOutput) logMessage(log, "%.*s\n", kEchoLimit, sentence);
        lineSpeed.heard(sentence, log);  // before the parser blanks its commas
        parseSentence(sentence);
        st.lastDataTime = secondsSinceStart();
    });
}

int CPoiGuard::readPass(CSerial& serial, ReceiveState& st)
{
    st.rxCount = serial.read(st.rxBuffer);
    if (st.rxCount >= 1 && st.firstData == 1) {
        log->print("Received Data from serial Port\n");
        _beginthread(playFirstData, 0, nullptr);
        st.firstData = 0;
    }
    if (st.rxCount == 0) Sleep(kIdlePauseMs);
    takeBytes(st, st.rxBuffer, st.rxCount);
    // Unplugged: the read fails at once and for ever; waiting for the
    // watchdog would poll a dead device for maxTimeNoData seconds.
    if (serial.lost()) {
        if (settings.gpsd[0])
            logMessage(log, "gpsd at %s closed the connection, try to reconnect in %dsec\n", settings.gpsd, kReconnectSeconds);
        else
            logMessage(log, "Reading from serial Port failed, the device is gone, try to reconnect in %dsec\n",
                       kReconnectSeconds);
        return 0;
    }

    if (settings.coastSeconds) carryOn();
    if (track.on()) track.tick(static_cast<long long>(GetTickCount64()));
    if (reloadRequested()) askForReload("Asked for a reload");
    int now = secondsSinceStart();
    if (reload.changeSettled(now)) askForReload("The POI list has changed");
    if (now > st.nextSortTime) {
        sortPoiList();
        st.nextSortTime = now + settings.updateInterval;
    }
    takeReloadedList();
    takeOrderedList();
    if (!lineSpeed.tick(serial, log, now)) return 0;
    now = secondsSinceStart();
    if (now - st.lastDataTime > settings.maxTimeNoData) {
        logMessage(log, "Got no data since %dsec, assuming connection Error, try to reconnect in %dsec\n",
                   settings.maxTimeNoData, kReconnectSeconds);
        return 0;
    }
    return 1;
}
