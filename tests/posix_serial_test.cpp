// The POSIX serial layer against a real pseudo-terminal, linked as COM7 in
// the working directory as a user would link a receiver.
#include <gtest/gtest.h>
#include <malloc.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>

#include "helpers.h"
#include "serial/serial.h"

void resetTestPlatform() {}

namespace {

struct Pty : Guarded {
    int master = -1, slave = -1;
    CSerial serial;
    Pty()
    {
        char name[256];
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0 || symlink(name, "COM7") != 0) abort();
        serial.setLog(&log);
    }
    ~Pty() { close(slave); }
    termios settings()
    {
        termios t;
        tcgetattr(slave, &t);
        return t;
    }
};

// Every speed baudRate=auto tries reads back alike (a pseudo-terminal keeps
// no byte size or parity); open applies the line settings and holds the
// terminal alone, a NUL byte is dropped, a time-out ends a read, Close
// restores the terminal; a hang-up fails the read at once; only terminals open.
TEST(PosixSerial, ATerminalAsTheComPort)
{
    Pty pty;
    HANDLE h = CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DCB dcb{};
    ASSERT_TRUE(GetCommState(h, &dcb));
    for (int baud : kReceiverSpeeds) {
        DCB set = dcb, got{};
        set.BaudRate = static_cast<DWORD>(baud);
        set.StopBits = baud == 9600 ? ONESTOPBIT : TWOSTOPBITS;
        set.fOutX = set.fInX = baud == 19200;
        ASSERT_TRUE(SetCommState(h, &set)) << baud;
        ASSERT_TRUE(GetCommState(h, &got));
        EXPECT_EQ(std::vector<int>({int(got.BaudRate), got.StopBits, int(got.fOutX), int(got.fInX)}),
                  std::vector<int>({baud, set.StopBits, int(set.fOutX), int(set.fInX)}));
    }
    EXPECT_FALSE(GetCommState(INVALID_HANDLE_VALUE, &dcb) || CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_TRUE(TransmitCommChar(h, 'x'));
    char buffer[4] = {};
    EXPECT_EQ(read(pty.master, buffer, 2), 1);
    EXPECT_EQ(buffer[0], 'x');
    CloseHandle(h);

    termios before = pty.settings();
    ASSERT_EQ(pty.serial.open(7, 38400, 8, 1, 0), 1);
    termios during = pty.settings();
    EXPECT_FALSE(during.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(cfgetispeed(&during), static_cast<speed_t>(B38400));
    EXPECT_EQ(during.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL), static_cast<tcflag_t>(CS8 | CLOCAL));
    EXPECT_FALSE(during.c_iflag & (IXON | IXOFF));
    EXPECT_EQ(CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    ASSERT_EQ(write(pty.master, "A\0B", 3), 3);
    EXPECT_EQ(pty.serial.read(buffer), 2);  // the third byte's time-out ends the read
    EXPECT_EQ(std::string(buffer, 2), "AB");
    EXPECT_EQ(pty.serial.Close(), 1);
    termios after = pty.settings();
    EXPECT_EQ(std::vector<tcflag_t>({after.c_lflag, after.c_cflag, after.c_iflag}),
              std::vector<tcflag_t>({before.c_lflag, before.c_cflag, before.c_iflag}));

    h = CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    COMMTIMEOUTS forever = {0, 0, 0, 0, 0};  // a read that does not fail would hang the test
    ASSERT_TRUE(SetCommTimeouts(h, &forever));
    close(pty.master);  // the receiver unplugged
    DWORD got = 99;
    EXPECT_FALSE(ReadFile(h, buffer, 1, &got, nullptr));
    EXPECT_EQ(got, 0u);
    CloseHandle(h);
    writeFile("COM8", "not a terminal");
    for (const char* name : {"\\\\.\\COM8", "\\\\.\\COM0", "\\\\.\\COM-1"})
        EXPECT_EQ(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE)
            << name;
}

size_t entries(const char* folder)
{
    auto all = std::filesystem::directory_iterator(folder);
    return static_cast<size_t>(std::distance(begin(all), end(all)));
}

// Fifty unplug-and-reconnect cycles through the receive loop's own steps
// each end at the hang-up and leave open descriptors, threads and heap
// where they were.
TEST(PosixSerial, ReconnectionsLeakNothing)
{
    Guarded g;
    givePois(g.guard, {{8.8, 53.3, "far"}});  // no sound threads
    SerialSource source(4, "", 0);
    source.setLog(&g.log);
    static ReceiveState st;
    st.source = &source;
    g.guard.setupReceive(st);
    st.firstData = 0;
    std::string fixes = rmc("5304.4400", "00848.0000") + "\r\n" + rmc("5304.4400", "00848.0000") + "\r\n$";
    fixes.resize((fixes.size() + kReadChunk - 1) / kReadChunk * kReadChunk, '\n');  // whole reads: no time-out to wait for
    size_t fds = 0, threads = 0, heap = 0;
    for (int cycle = 0; cycle < 55; ++cycle) {
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
        g.guard.connect(st);
        ASSERT_EQ(st.portOpen, 1);
        ASSERT_EQ(write(master, fixes.data(), fixes.size()), static_cast<ssize_t>(fixes.size()));
        for (size_t got = 0; got < fixes.size(); got += kReadChunk) g.guard.readPass(st);
        close(master);  // unplugged: the connection ends with the next read, not 30 s of polling later
        close(slave);
        ASSERT_EQ(g.guard.readPass(st), 0);
        source.close();
        g.console.take();
    }
    EXPECT_EQ(entries("/proc/self/fd"), fds);
    EXPECT_EQ(entries("/proc/self/task"), threads);
    EXPECT_LT(mallinfo2().uordblks, heap + 16 * 1024);
    EXPECT_GT(g.guard.lastPosWide, 53.07);  // the fixes went through
}

}  // namespace
