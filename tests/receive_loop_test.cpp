#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "alarm/sounds.h"
#include "fake_platform.h"
#include "helpers.h"
#include "serial/source.h"

namespace {

// The loop between its passes, on the scripted line; the echo of fullOutput
// shows each hand-off.
struct Loop : Guarded {
    SerialSource source{3, "", 0};
    ReceiveState st{};
    Loop()
    {
        guard.settings.fullOutput = 1;
        source.setLog(&log);
        st.source = &source;
        fake::state.runThreads = false;
        guard.setupReceive(st);
        guard.connect(st);
        console.take();
    }
    void drain()
    {
        while (!fake::state.line.empty()) guard.readPass(st);
    }
};

TEST(ReceiveLoop, FramingAndFiltering)
{
    const struct {
        const char* legend;
        std::string bytes;
        std::string handed;
    } cases[] = {
        {"RMC last in a burst: each sentence goes at its checksum, without waiting for the next $; junk after "
         "a sentence goes on its own at the next $",
         "$GPGGA,1*4A\r\n$GPRMC,2*5Bjunk\r\nmore$", "$GPGGA,1*4A\n$GPRMC,2*5B\njunkmore\n"},
        {"a line end ends a sentence without checksum digits; ? dropped", "$GP?TXT,x*zz y\r\n", "$GPTXT,x*zz y\n"},
        {"128 and above dropped, 127 and 22 kept, 21 dropped", "$A\x80\xb0\x7f\x16\x15" "B$", "$A\x7f\x16" "B\n"},
        {"4095 bytes without a $ are dropped", "$" + std::string(4199, 'x') + "$", std::string(105, 'x') + "\n"},
        {"two $ hand over a lone $", "$$", "$\n"},
        {"no $, no hand-off", "GPRMC,1\r\n", ""},
    };
    for (const auto& c : cases) {
        Loop loop;
        loop.st.firstData = 0;
        fake::feed(c.bytes);
        loop.drain();
        EXPECT_EQ(loop.console.take(), c.handed) << c.legend;
    }
}

// Fixes once a second from a receiver at 19200 baud, then from one at 4800
// after a reconnection: the hunt finds each and stays there. The first-data
// sound comes once, not again after a reconnection.
TEST(ReceiveLoop, BaudRateAutoHuntsForTheSpeedAndAgainAfterAReconnection)
{
    Loop loop;
    loop.guard.settings.fullOutput = 0;
    loop.source.lineSpeed.configure(kAutoBaud);
    auto drive = [&](DWORD receiverBaud, int seconds) {
        fake::state.lineBaud = receiverBaud;
        fake::state.calls.clear();
        loop.guard.disconnect(loop.st);
        loop.guard.connect(loop.st);
        for (int i = 0; i < seconds; ++i) {
            fake::feed("$GPTXT,no checksum\r\n" + rmc("5300.000", "00900.000") + "\r\n");
            fake::state.line.insert(fake::state.line.end(), {fake::kTimeout, fake::kTimeout, fake::kTimeout});
        }
        loop.drain();
        std::string speeds;  // the port's speed restored on closing, set on opening, then changed
        for (const std::string& line : fake::callsNamed("SetCommState")) speeds += line.substr(12);
        return speeds;
    };
    EXPECT_EQ(drive(19200, 12), " 9600 38400 4800 9600 19200");
    std::string out = loop.console.take();
    EXPECT_NE(out.find("baudRate=auto: the receiver sends at 19200 baud\n"), std::string::npos);
    EXPECT_NE(out.find("length=00900.000"), std::string::npos);
    EXPECT_EQ(drive(4800, 25), " 9600 38400 19200 38400 57600 115200 4800");
    EXPECT_NE(loop.console.take().find("sends at 4800 baud"), std::string::npos);
    loop.source.lineSpeed.configure(9600);
    EXPECT_EQ(drive(9600, 3), " 9600 38400 9600");
    EXPECT_EQ(loop.console.take().find("baudRate=auto"), std::string::npos);
    EXPECT_EQ(fake::state.threads, std::vector<void (*)(void*)>{playFirstData});
    fake::state.failing.insert("SetCommTimeouts");  // unplugged: the port's settings cannot be put back
    loop.guard.disconnect(loop.st);
    EXPECT_NE(loop.console.take().find("\nserial.Close() NOT successfully, maybe its never open\n"), std::string::npos);
}

// The wall clock stepped an hour forward, then two back, as a board without
// a battery clock steps it: the watchdog and the ordering timer count the
// system's own seconds, and neither fires before 31 of those have passed.
TEST(ReceiveLoop, AStepOfTheWallClockMovesNoTimer)
{
    Loop loop;
    placeAt(loop.guard, 9.0, 53.0);
    loop.guard.settings.updateInterval = 20;
    loop.guard.setupReceive(loop.st);
    loop.console.take();
    for (long long step : {3600000LL, -7200000LL}) {
        fake::state.clockMs += step;
        EXPECT_EQ(loop.guard.readPass(loop.st), 1);
    }
    EXPECT_EQ(loop.console.take(), "");
    fake::state.tickMs += 31000;
    EXPECT_EQ(loop.guard.readPass(loop.st), 0);
    EXPECT_NE(loop.console.take().find("\nGot no data since 30sec"), std::string::npos);
}

// gpsd as the source: its stream opened by name; a gpsd that does not
// answer, and one that closes the connection (a read fails, as when a
// serial device is unplugged: the connection ends at once), each said so.
TEST(ReceiveLoop, ThroughGpsd)
{
    Loop loop;
    GpsdSource gpsd("localhost:2948");
    gpsd.setLog(&loop.log);
    loop.guard.disconnect(loop.st);
    loop.st.source = &gpsd;
    fake::state.failing.insert("CreateFileA");
    loop.guard.connect(loop.st);
    fake::state.failing.clear();
    loop.guard.connect(loop.st);
    fake::state.line.push_back(fake::kReadError);
    EXPECT_EQ(loop.guard.readPass(loop.st), 0);
    std::string out = loop.console.take();
    for (const char* text : {"Try to open gpsd://localhost:2948\n", "gpsd does not answer at localhost:2948: not running yet, "
                             "or stopped\nserial.open failed\n", "gpsd at localhost:2948 closed the connection, try to "
                             "reconnect in 10sec\n"})
        EXPECT_NE(out.find(text), std::string::npos) << text << " in\n" << out;
}

// The list read anew while the loop runs, from A (announced) and B at the
// start: what replaces it, what keeps it, whose latches go over. Found by
// the periodic ordering during silence, or asked for with SIGHUP after a
// reconnection.
TEST(ReceiveLoop, ReloadingTheList)
{
    const struct {
        const char* legend;
        const char* file;  // null: removed
        bool signal;
        const char* printed;
        const char* list;  // afterwards: each POI's name and outer latch
    } rows[] = {
        {"replaced: A kept, B gone, C new", "8.8, 53.0, A\n9.0, 53.2, C\n", false,
         "SUCCESS Reloading POI list from pois.csv ... found 2 POIs, 1 of them already announced\n\nSorting", "A1C0"},
        {"asked for; A moved by 100 m", "8.8, 53.0009, A\n8.9, 53.1, B\n", true,
         "Asked for a reload: reloading POI list from pois.csv\nSUCCESS Reloading POI list from pois.csv ... found 2 POIs, "
         "0 of them already announced\n", "A0B0"},
        {"removed", nullptr, false,
         "ERROR while reloading POI list from pois.csv: cannot open it; the 2 POIs loaded before stay in force\n", "A1B0"},
        {"no POI", "% none\n", false, ": it holds no POI; the 2 POIs loaded before stay in force\n", "A1B0"},
        {"an invalid line midway", "8.8, 53.0, A\nbad\n9.0, 53.2, C\n", true, ": line 2 is not a POI; the 2", "A1B0"},
    };
    for (const auto& r : rows) {
        Loop loop;
        writeFile("pois.csv", "8.8, 53.0, A\n8.9, 53.1, B\n");
        loop.guard.loadPoiList("pois.csv");
        placeAt(loop.guard, 8.8, 53.0);
        loop.guard.sortPoiList();
        loop.guard.poiList[0].alarm1Fired = 1;
        loop.guard.setupReceive(loop.st);
        if (r.file) writeFile("new.csv", r.file);  // renamed over the list, as import-pois does
        std::filesystem::rename(r.file ? "new.csv" : "pois.csv", r.file ? "pois.csv" : "gone.csv");
        if (r.signal) {
            loop.guard.disconnect(loop.st);
            loop.guard.connect(loop.st);
            fake::state.reloadSignal = true;
        } else {
            loop.guard.readPass(loop.st);  // the change seen; taken once it has settled
            fake::state.tickMs += kSettleSeconds * 1000;
        }
        loop.console.take();
        loop.guard.readPass(loop.st);
        std::string out = loop.console.take(), list;
        EXPECT_NE(out.find(r.printed), std::string::npos) << r.legend << "\n" << out;
        for (int i = 0; i < loop.guard.poiCount; ++i)
            list += loop.guard.poiList[i].name + std::to_string(loop.guard.poiList[i].alarm1Fired);
        EXPECT_EQ(list, r.list) << r.legend;
        EXPECT_EQ(loop.guard.PoiListSorted, 1) << r.legend;
    }
}

// The loop itself, as run() enters it: an open of the device named, a fix, silence, a
// re-ordering after 20 s, the watchdog after more than 30 s (each empty read
// costs the port's 400 ms time-out), the port closed and the 10-second pause
// before the next attempt.
TEST(ReceiveLoop, TheWholeCycle)
{
    Guarded g;
    fake::state.runThreads = false;
    givePois(g.guard, {{8.8, 53.3, "far"}});
    placeAt(g.guard, 8.8, 53.07);
    g.guard.settings.updateInterval = 20;
    SerialSource source(3, "/dev/ttyACM0", 0);
    source.setLog(&g.log);
    fake::feed(rmc("5304.2000", "00848.0000") + "\r\n$");
    g.guard.receiveLoop(source, 1);
    std::string out = g.console.take();
    const char* expected[] = {"its now 22:13:20", "serial.open successfully\nReceived Data from serial Port\n", "\nlength=",
                              "\nSorting", "Got no data since 30sec", "serial.Close() successfully\n"};
    size_t at = 0;
    for (const char* text : expected) {
        at = out.find(text, at);
        ASSERT_NE(at, std::string::npos) << text << " in\n" << out;
    }
    auto count = [&](const std::string& text) {
        int n = 0;
        for (size_t p = out.find(text); p != std::string::npos; p = out.find(text, p + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("its now"), 1);
    EXPECT_EQ(count("Sorting"), 2);  // around the first fix, and 20 s later
    EXPECT_EQ(fake::callsNamed("Sleep 10000").size(), 1u);
    EXPECT_EQ(fake::callsNamed("CreateFileA"), std::vector<std::string>{"CreateFileA /dev/ttyACM0"});
    EXPECT_GE(std::count(fake::state.calls.begin(), fake::state.calls.end(), "Sleep 1"), 70);  // after each empty read
    EXPECT_EQ(fake::state.clockMs / 1000 - 1700000000, 31 + 10);
    EXPECT_EQ(fake::state.threads, std::vector<void (*)(void*)>{playFirstData});
}

}  // namespace
