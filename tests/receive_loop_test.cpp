#include <gtest/gtest.h>

#include <cstring>

#include "alarm/sounds.h"
#include "fake_platform.h"
#include "helpers.h"
#include "serial/serial.h"

namespace {

// The parser sees what the loop hands it; a sentence it rejects still counts.
class Loop : public testing::Test {
protected:
    InTempDir dir;
    Log log;
    CPoiGuard guard;
    CSerial serial;
    ReceiveState st;
    Console console;
    void SetUp() override
    {
        guard.log = &log;
        guard.fullOutput = 1;  // the echo shows each hand-off
        serial.setLog(&log);
        memset(&st, 0, sizeof st);
        st.portNumber = 3;
        fake::state.runThreads = false;
        guard.setupReceive(serial, st);
        guard.connect(serial, st);
        st.firstData = 0;  // the first-data sound has its own test
        console.take();
    }
    // Runs read passes until the scripted line is empty.
    void drain()
    {
        while (!fake::state.line.empty()) guard.readPass(serial, st);
    }
};

TEST_F(Loop, FramingAndFiltering)
{
    const struct {
        const char* legend;
        std::string bytes;
        std::string handed;  // echo lines
    } cases[] = {
        {"CR LF are dropped, hand-off at the next $", "$GPGSA,A*1E\r\n$", "$GPGSA,A*1E\n"},
        {"? is dropped", "$GP?RMC\r\n$", "$GPRMC\n"},
        {"bytes of 128 and above are dropped", "$A\xb0" "B$", "$AB\n"},
        {"byte 22 passes, 21 does not", "$A\x16\x15" "B$", "$A\x16" "B\n"},
        {"two $ in a row hand over a lone $", "$$", "$\n"},
        {"no $ no hand-off", "GPRMC,1,2,3\r\n", ""},
    };
    for (const auto& c : cases) {
        memset(st.sentence, 0, sizeof st.sentence);
        st.sentenceLength = 0;
        fake::feed(c.bytes);
        drain();
        EXPECT_EQ(console.take(), c.handed) << c.legend;
    }
}

TEST_F(Loop, SentenceContinuesAcrossAReconnection)
{
    fake::feed("$GPGSA,1,");
    drain();
    guard.disconnect(serial, st);
    guard.connect(serial, st);
    console.take();
    fake::feed("2*00$");
    drain();
    EXPECT_EQ(console.take(), "$GPGSA,1,2*00\n");
}

TEST_F(Loop, OverlongStreamWithoutDollarStaysInTheBuffer)
{
    fake::feed("$" + std::string(10000, 'x') + "$");
    drain();
    std::string out = console.take();
    EXPECT_LE(out.size(), static_cast<size_t>(kMessageSize));
    EXPECT_EQ(out.back(), '\n');
    EXPECT_LT(st.sentenceLength, static_cast<int>(sizeof st.sentence));
}

TEST_F(Loop, WatchdogFiresOnlyAfterMoreThanMaxTimeNoData)
{
    guard.maxTimeNoData = 30;
    int start = st.lastDataTime;
    // Empty reads each cost the port's 400 ms time-out on the fake clock.
    for (;;) {
        int goesOn = guard.readPass(serial, st);
        long long silent = fake::state.clockMs / 1000 - start;
        if (!goesOn) {
            EXPECT_EQ(silent, 31);
            break;
        }
        ASSERT_LE(silent, 30);
    }
    EXPECT_EQ(console.take(), "Got no data since 30sec, assuming connection Error, try to reconnect in 10sec\n");
}

TEST_F(Loop, RejectedSentencesStillFeedTheWatchdog)
{
    guard.maxTimeNoData = 30;
    fake::state.clockMs += 29000;
    fake::feed("$junk$");
    drain();
    int handedAt = st.lastDataTime;
    EXPECT_EQ(handedAt, fake::state.clockMs / 1000);
}

TEST_F(Loop, ReorderingTimer)
{
    guard.updateInterval = 300;
    guard.lastPosLength = 9.0;
    guard.lastPosWide = 53.0;
    givePois(guard, {{9.0, 53.1, "A"}});
    int due = st.nextSortTime;
    guard.maxTimeNoData = 100000;
    while (fake::state.clockMs / 1000 <= due) guard.readPass(serial, st);
    EXPECT_NE(console.take().find("Sorting POI List"), std::string::npos);
    EXPECT_EQ(st.nextSortTime, fake::state.clockMs / 1000 + 300);
}

TEST_F(Loop, FirstDataPlaysOnceAndReconnectsLogTheirSteps)
{
    st.firstData = 1;
    fake::feed("x");
    drain();
    EXPECT_EQ(console.take(), "Received Data from serial Port\n");
    guard.disconnect(serial, st);
    fake::state.failing.insert("CreateFileA");
    guard.connect(serial, st);
    guard.disconnect(serial, st);
    fake::state.failing.clear();
    guard.connect(serial, st);
    fake::feed("y");
    drain();
    ASSERT_EQ(fake::state.threads.size(), 1u);
    EXPECT_EQ(fake::state.threads[0], playFirstData);
    // How %p shows a handle differs between C libraries.
    std::string out = console.take();
    for (size_t at; (at = out.find("hComm=")) != std::string::npos;) out.erase(at, out.find('\n', at) + 1 - at);
    EXPECT_EQ(out,
              "serial.Close() successfully\n"
              "Try to open \\\\.\\COM3\n"
              "Fehler beim Oeffnen des COM-Ports! in CreateFile()\n"
              "serial.open failed\nTry to reconnect in 10sec\n"
              "serial.Close() successfully\n"
              "Try to open \\\\.\\COM3\nserial.open successfully\n");
    EXPECT_EQ(fake::callsNamed("Sleep 10000").size(), 2u);
}

TEST_F(Loop, DriveThroughTheWholeChainSoundsTheAlarm)
{
    guard.fullOutput = 0;
    givePois(guard, {{9.127, 53.07033, "camera"}});
    // Two fixes, the second right on the POI.
    fake::feed("$GPRMC,120000,A,5304.2198,N,00907.6200,E,0.0,0.0,010120,,*16\r\n"
               "$GPRMC,120001,A,5304.2198,N,00907.6200,E,0.0,0.0,010120,,*17\r\n$");
    drain();
    std::string out = console.take();
    EXPECT_NE(out.find(" ... list is sorted\n"), std::string::npos) << out;
    EXPECT_NE(out.find("POI in the near 0.000"), std::string::npos) << out;
    // Met inside the inner radius: the inner level first, the middle one next.
    ASSERT_EQ(fake::state.threads.size(), 2u);
    EXPECT_EQ(fake::state.threads[0], playAlarm4);
    EXPECT_EQ(fake::state.threads[1], playAlarm2);
}

}  // namespace
