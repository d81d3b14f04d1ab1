// The POSIX serial layer against a real pseudo-terminal, linked as COM7 in
// the working directory as a user would link a receiver.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "helpers.h"
#include "serial/serial.h"

namespace {

class Pty : public testing::Test {
protected:
    InTempDir dir;
    int master = -1;
    int slave = -1;
    void SetUp() override
    {
        char name[256];
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        ASSERT_EQ(symlink(name, "COM7"), 0);
    }
    void TearDown() override
    {
        if (master >= 0) close(master);
        close(slave);
    }
    termios settings()
    {
        termios t;
        tcgetattr(slave, &t);
        return t;
    }
};

TEST_F(Pty, OpenAppliesTheLineSettingsAndCloseRestoresThem)
{
    termios before = settings();
    ASSERT_TRUE(before.c_lflag & ICANON);
    Log log;
    CSerial serial;
    Console console;
    serial.setLog(&log);
    ASSERT_EQ(serial.open(7, 38400, 8, 1, 0), 1);
    termios during = settings();
    EXPECT_FALSE(during.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(cfgetispeed(&during), static_cast<speed_t>(B38400));
    EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(during.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(during.c_iflag & (IXON | IXOFF));
    EXPECT_TRUE(during.c_cflag & CLOCAL);

    EXPECT_EQ(serial.Close(), 1);
    termios after = settings();
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(cfgetispeed(&after), cfgetispeed(&before));
}

TEST_F(Pty, ReadDiscardsNulAndTimesOutWithWhatCame)
{
    Log log;
    CSerial serial;
    Console console;
    serial.setLog(&log);
    ASSERT_EQ(serial.open(7, 38400, 8, 1, 0), 1);
    ASSERT_EQ(write(master, "A\0B", 3), 3);
    char buffer[4] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(serial.read(buffer), 2);
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(std::string(buffer, 2), "AB");
    // The one-byte request after "AB" waited out its 400 ms time-out, and no longer than that by much.
    EXPECT_GE(waited, 0.35);
    EXPECT_LT(waited, 3.0);
}

TEST_F(Pty, ClosedFarEndFailsTheReadAtOnce)
{
    HANDLE h = CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS forever = {0, 0, 0, 0, 0};  // would otherwise wait for ever
    SetCommTimeouts(h, &forever);
    close(master);
    master = -1;
    char c;
    DWORD got = 99;
    EXPECT_FALSE(ReadFile(h, &c, 1, &got, nullptr));
    EXPECT_EQ(got, 0u);
    CloseHandle(h);
}

TEST_F(Pty, PortIsOpenedExclusively)
{
    HANDLE first = CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    CloseHandle(first);
}

TEST_F(Pty, MissingPortAndPlainFilesDoNotOpen)
{
    writeFile("COM8", "not a terminal");
    for (const char* name : {"\\\\.\\COM8", "\\\\.\\COM0", "\\\\.\\COM-1"})
        EXPECT_EQ(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr),
                  INVALID_HANDLE_VALUE)
            << name;
}

}  // namespace

void resetTestPlatform() {}
