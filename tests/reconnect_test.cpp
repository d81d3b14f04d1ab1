// A hundred unplug-and-reconnect cycles through the real serial layer on
// pseudo-terminals leave open descriptors, threads and heap where they were.
// The pauses are skipped: this file is the platform's clock and threads.
#include <gtest/gtest.h>
#include <malloc.h>
#include <pty.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>

#include "helpers.h"
#include "serial/serial.h"

void Sleep(DWORD) {}
extern "C" uintptr_t _beginthread(void (*)(void*), unsigned, void*) { return 1; }
BOOL PlaySoundA(LPCSTR, HMODULE, DWORD) { return TRUE; }
std::time_t clockNow() { return std::time(nullptr); }
std::tm localClock(std::time_t t) { return *std::gmtime(&t); }
const char* builtinPoiPath() { return "none"; }
void resetTestPlatform() {}

namespace {

size_t entries(const char* folder)
{
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(folder)) {
        (void)e;
        ++n;
    }
    return n;
}

TEST(Reconnect, HundredCyclesLeakNothing)
{
    InTempDir dir;
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    givePois(guard, {{8.8, 53.074, "A"}});
    CSerial serial;
    serial.setLog(&log);
    static ReceiveState st;
    memset(&st, 0, sizeof st);
    st.portNumber = 4;
    Console console;
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
        console.take();
    }
    EXPECT_EQ(entries("/proc/self/fd"), fds);
    EXPECT_EQ(entries("/proc/self/task"), threads);
    EXPECT_LT(mallinfo2().uordblks, heap + 16 * 1024);
    EXPECT_EQ(guard.lastPosWide > 53.07, true);  // the fixes went through
}

}  // namespace
