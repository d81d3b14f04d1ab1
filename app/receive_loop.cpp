// The receive loop: keep the port open, cut the byte stream into sentences
// at each '$', re-order the POI list now and then, and reconnect after
// silence. It never ends.
#include <cstring>

#include "alarm/sounds.h"
#include "app/poiguard.h"
#include "serial/serial.h"

namespace {

constexpr int kByteSize = 8;
constexpr int kStopBits = 1;
constexpr int kParity = 0;
constexpr DWORD kReconnectPauseMs = 10000;
constexpr DWORD kIdlePauseMs = 1;
constexpr int kEchoLimit = kMessageSize - 2;  // room for the line feed and the NUL
constexpr unsigned char kLowestKept = 22;      // line ends, tabs and NUL are below
constexpr unsigned char kFirstHighByte = 128;

// Receivers mix binary protocols into the stream; only NMEA text is kept.
// Line ends go too: a sentence ends at the next '$'.
bool wanted(unsigned char c) { return c >= kLowestKept && c != '?' && c < kFirstHighByte; }

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
    memset(st.sentence, 0, sizeof st.sentence);
    st.sentenceLength = 0;
    st.firstData = 1;
    st.nextSortTime = serial.getTime(1) + updateInterval;
}

void CPoiGuard::connect(CSerial& serial, ReceiveState& st)
{
    st.lastDataTime = serial.getTime(0);
    st.portOpen = comDevice[0] ? serial.open(comDevice, kLineBaudRate, kByteSize, kStopBits, kParity)
                               : serial.open(st.portNumber, kLineBaudRate, kByteSize, kStopBits, kParity);
    if (st.portOpen == 1) {
        log->print("serial.open successfully\n");
        if (lineSpeed.given() && !lineSpeed.start(serial, log, st.lastDataTime)) st.portOpen = 0;
    } else {
        log->print("serial.open failed\n");
        log->print("Try to reconnect in 10sec\n");
    }
}

void CPoiGuard::disconnect(CSerial& serial, ReceiveState& st)
{
    st.portOpen = 0;
    if (serial.Close())
        log->print("serial.Close() successfully\n");
    else
        log->print("serial.Close() NOT successfully, maybe its never open\n");
    Sleep(kReconnectPauseMs);
}

void CPoiGuard::takeBytes(ReceiveState& st, const char* bytes, int count)
{
    for (int k = 0; k < count; ++k) {
        unsigned char c = static_cast<unsigned char>(bytes[k]);
        if (!wanted(c)) continue;
        if (c == '$' && st.sentenceLength > 0) {
            ConsoleBatch oneWrite;
            if (fullOutput) logMessage(log, "%.*s\n", kEchoLimit, st.sentence);
            lineSpeed.heard(st.sentence, log);  // before the parser blanks its commas
            parseSentence(st.sentence);
            st.lastDataTime = static_cast<int>(clockNow());
            memset(st.sentence, 0, sizeof st.sentence);
            st.sentenceLength = 0;
        }
        // Bytes that never meet a '$' cannot be a sentence; drop them rather
        // than run past the buffer.
        if (st.sentenceLength == static_cast<int>(sizeof st.sentence) - 1) {
            memset(st.sentence, 0, sizeof st.sentence);
            st.sentenceLength = 0;
        }
        st.sentence[st.sentenceLength++] = static_cast<char>(c);
    }
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

    int now = serial.getTime(0);
    if (now > st.nextSortTime) {
        sortPoiList();
        st.nextSortTime = now + updateInterval;
    }
    if (!lineSpeed.tick(serial, log, now)) return 0;
    now = serial.getTime(0);
    if (now - st.lastDataTime > maxTimeNoData) {
        logMessage(log, "Got no data since %dsec, assuming connection Error, try to reconnect in 10sec\n",
                   maxTimeNoData);
        return 0;
    }
    return 1;
}
