#include <gtest/gtest.h>

#include <cstring>

#include "fake_platform.h"
#include "helpers.h"
#include "serial/serial.h"

namespace {

TEST(Serial, OpenWritesTheFixedLineSettingsWhateverItIsAsked)
{
    Guarded g;
    CSerial serial;
    serial.setLog(&g.log);
    EXPECT_EQ(serial.open(3, 9600, 8, 2, 2), 1);
    EXPECT_EQ(g.console.take().substr(0, 56), "CSerial::setLog(Log _log) finished\nTry to open \\\\.\\COM3\n");
    const DCB& d = fake::state.portDcb;
    EXPECT_EQ(d.BaudRate, 38400u);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, 2);
    DWORD flags;
    memcpy(&flags, reinterpret_cast<const char*>(&d) + 8, 4);
    EXPECT_EQ(flags & 0x7fff, 0x1893u);  // 0x1891 and parity checking
    EXPECT_EQ(fake::state.portTimeouts.ReadTotalTimeoutConstant + fake::state.portTimeouts.ReadTotalTimeoutMultiplier, 400u);

    fake::state.calls.clear();
    EXPECT_EQ(serial.open(3, 38400, 8, 1, 0), 1);  // already open: left alone
    EXPECT_EQ(g.console.take(), "hComm==INVALID_HANDLE_VALUE\n");
    EXPECT_TRUE(fake::state.calls.empty());
}

TEST(Serial, EachFailureOfOpenCleansUpThenReports)
{
    const struct {
        const char* failing;
        const char* message;
    } cases[] = {
        {"CreateFileA", "Fehler beim Oeffnen des COM-Ports! in CreateFile()\n"},
        {"GetCommTimeouts", "Fehler beim Oeffnen des COM-Ports! in GetCommTimeouts()\n"},
        {"GetCommState", "Fehler beim \xD6" "ffnen des COM-Ports! in GetCommState()\n"},
        {"SetCommState", "Fehler beim setzen der COM-Port Parameter in SetCommState()\n"},
    };
    for (const auto& c : cases) {
        Guarded g;
        CSerial serial;
        serial.setLog(&g.log);
        fake::state.failing.insert(c.failing);
        EXPECT_EQ(serial.open(3, 38400, 8, 1, 0), 0) << c.failing;
        std::string out = g.console.take();
        EXPECT_EQ(out.substr(out.size() - strlen(c.message)), c.message) << c.failing;
        EXPECT_FALSE(fake::state.portOpen) << c.failing;  // released before the report
    }
}

TEST(Serial, AFailedRestoreIsReportedButTheDeviceIsReleased)
{
    // What an unplugged receiver does; the next open must reach the new device.
    Guarded g;
    CSerial serial;
    serial.setLog(&g.log);
    ASSERT_EQ(serial.open(3, 38400, 8, 1, 0), 1);
    g.console.take();
    fake::state.failing.insert("SetCommState");
    EXPECT_EQ(serial.Close(), 0);
    EXPECT_EQ(g.console.take(), "Fehler beim Schlie\xDF" "en des COM-Ports in SetCommState()\n");
    EXPECT_FALSE(fake::state.portOpen);
    fake::state.calls.clear();
    EXPECT_EQ(serial.Close(), 1);  // nothing open: no call
    EXPECT_TRUE(fake::state.calls.empty());
}

TEST(Serial, ReadDeliversAtMostFourAndKeepsBytesBeforeATimeout)
{
    Guarded g;
    CSerial serial;
    char buffer[8] = {};
    EXPECT_EQ(serial.read(buffer), 0);
    ASSERT_EQ(serial.open(3, 38400, 8, 1, 0), 1);
    fake::feed("0123456789");
    EXPECT_EQ(serial.read(buffer), 4);
    EXPECT_EQ(serial.read(buffer), 4);
    EXPECT_EQ(serial.read(buffer), 2);
    EXPECT_EQ(std::string(buffer, 2), "89");
    fake::feed("ab");
    fake::state.line.push_back(fake::kReadError);
    EXPECT_EQ(serial.read(buffer), 2);
    EXPECT_EQ(g.console.take(), "");  // no log attached: nothing printed
}

}  // namespace
