// The receive loop: keep the source of NMEA bytes open (a serial port or
// gpsd, whichever start-up chose), cut the byte stream into sentences,
// re-order the POI list now and then, and reconnect after silence or when
// the device is gone. The program never ends it.
#include <cstdio>
#include <cstring>

#include "alarm/sounds.h"
#include "app/poiguard.h"
#include "serial/source.h"

namespace {

constexpr int kReconnectSeconds = 10;
constexpr DWORD kReconnectPauseMs = kReconnectSeconds * 1000;
constexpr DWORD kIdlePauseMs = 1;
constexpr int kEchoLimit = kMessageSize - 2;  // room for the line feed and the NUL

// Seconds since the system started, for the watchdog and the ordering timer:
// a wall clock that is stepped (a board without a battery clock learning
// the time) would make them fire too early or far too late.
int secondsSinceStart() { return static_cast<int>(GetTickCount64() / 1000); }

}  // namespace

void CPoiGuard::receiveLoop(NmeaSource& source, int connections)
{
    static ReceiveState st;  // 5 kB of buffers, kept off the stack
    st.source = &source;
    setupReceive(st);
    for (int made = 0; connections < 0 || made < connections; ++made) {
        connect(st);
        while (st.portOpen == 1)
            if (!readPass(st)) break;
        disconnect(st);
    }
}

void CPoiGuard::setupReceive(ReceiveState& st)
{
    memset(&st.framer, 0, sizeof st.framer);
    st.firstData = 1;
    // The wall clock, for the reader of the log.
    std::time_t now = clockNow();
    std::tm t = localClock(now);
    logMessage(log, "its now %02d:%02d:%02d (%d)\n", t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(now));
    st.nextSortTime = secondsSinceStart() + settings.updateInterval;
}

void CPoiGuard::connect(ReceiveState& st)
{
    st.lastDataTime = secondsSinceStart();
    st.portOpen = st.source->open();
    if (st.portOpen == 1) {
        log->print("serial.open successfully\n");
        if (!st.source->start(st.lastDataTime)) st.portOpen = 0;
    } else {
        st.source->describeNotOpen();
        log->print("serial.open failed\n");
        logMessage(log, "Try to reconnect in %dsec\n", kReconnectSeconds);
    }
}

void CPoiGuard::disconnect(ReceiveState& st)
{
    st.portOpen = 0;
    coast.stop();
    if (st.source->close())
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
        if (st.source) st.source->heard(sentence);  // before the parser blanks its commas
        parseSentence(sentence);
        st.lastDataTime = secondsSinceStart();
    });
}

int CPoiGuard::readPass(ReceiveState& st)
{
    st.rxCount = st.source->read(st.rxBuffer);
    if (st.rxCount >= 1 && st.firstData == 1) {
        log->print("Received Data from serial Port\n");
        _beginthread(playFirstData, 0, nullptr);
        st.firstData = 0;
    }
    if (st.rxCount == 0) Sleep(kIdlePauseMs);
    takeBytes(st, st.rxBuffer, st.rxCount);
    // Unplugged: the read fails at once and for ever; waiting for the
    // watchdog would poll a dead device for maxTimeNoData seconds.
    if (st.source->lost()) {
        st.source->describeLost(kReconnectSeconds);
        return 0;
    }

    if (settings.coastSeconds) carryOn();
    if (track.on()) track.tick(static_cast<long long>(GetTickCount64()));
    if (speaker.on()) effects.spoken();  // phrases said since, on the pattern threads
    if (reloadRequested()) askForReload("Asked for a reload");
    int now = secondsSinceStart();
    if (reload.changeSettled(now)) askForReload("The POI list has changed");
    if (now > st.nextSortTime) {
        sortPoiList();
        st.nextSortTime = now + settings.updateInterval;
    }
    takeReloadedList();
    takeOrderedList();
    if (!st.source->tick(now)) return 0;
    now = secondsSinceStart();
    if (now - st.lastDataTime > settings.maxTimeNoData) {
        logMessage(log, "Got no data since %dsec, assuming connection Error, try to reconnect in %dsec\n",
                   settings.maxTimeNoData, kReconnectSeconds);
        return 0;
    }
    return 1;
}
