// A hundred unplug-and-reconnect cycles through the real serial layer on
// pseudo-terminals leave open descriptors, threads and heap where they were.
// The pauses are skipped (tests/quiet_system.cpp).
#include <gtest/gtest.h>
#include <malloc.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>

#include "helpers.h"
#include "serial/serial.h"

void resetTestPlatform() {}

namespace {

size_t entries(const char* folder)
{
    auto all = std::filesystem::directory_iterator(folder);
    return static_cast<size_t>(std::distance(begin(all), end(all)));
}

TEST(Reconnect, HundredCyclesLeakNothing)
{
    Guarded g;
    CPoiGuard& guard = g.guard;
    givePois(guard, {{8.8, 53.074, "A"}});
    CSerial serial;
    serial.setLog(&g.log);
    static ReceiveState st;
    st.portNumber = 4;
    guard.setupReceive(serial, st);
    const std::string fix = "$GPRMC,120000,A,5304.4400,N,00848.0000,E,0.0,0.0,010120,,*1A\r\n";

    size_t fds = 0, threads = 0, heap = 0;
    for (int cycle = 0; cycle < 105; ++cycle) {
        if (cycle == 5) {  // after the first cycles have set up what lasts
            fds = entries("/proc/self/fd");
            threads = entries("/proc/self/task");
            heap = mallinfo2().uordblks;
        }
        int master, slave;
        char name[256];
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        std::filesystem::remove("COM4");
        std::filesystem::create_symlink(name, "COM4");
        guard.connect(serial, st);
        ASSERT_EQ(st.portOpen, 1);
        std::string bytes = fix + fix;
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        for (size_t got = 0; got < bytes.size(); got += kReadChunk) guard.readPass(serial, st);
        close(master);  // unplugged
        close(slave);
        guard.readPass(serial, st);
        guard.disconnect(serial, st);
        g.console.take();
    }
    EXPECT_EQ(entries("/proc/self/fd"), fds);
    EXPECT_EQ(entries("/proc/self/task"), threads);
    EXPECT_LT(mallinfo2().uordblks, heap + 16 * 1024);
    EXPECT_GT(guard.lastPosWide, 53.07);  // the fixes went through
}

}  // namespace
