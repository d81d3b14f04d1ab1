#include <gtest/gtest.h>

#include <cstring>

#include "fake_platform.h"
#include "helpers.h"
#include "serial/serial.h"

namespace {

class Serial : public testing::Test {
protected:
    InTempDir dir;
    Log log;
    CSerial serial;
    Console console;
    void SetUp() override { serial.setLog(&log); console.take(); }
    int openPort(int port = 3, int baud = 38400, int stopBits = 1, int parity = 0)
    {
        return serial.open(port, baud, 8, stopBits, parity);
    }
};

TEST(SerialLog, NothingIsWrittenBeforeALogIsAttached)
{
    InTempDir dir;
    fake::state.failing.insert("CreateFileA");
    Console console;
    CSerial serial;
    EXPECT_EQ(serial.open(3, 38400, 8, 1, 0), 0);
    EXPECT_EQ(console.take(), "");
    Log log;
    serial.setLog(&log);
    EXPECT_EQ(console.take(), "CSerial::setLog(Log _log) finished\n");
}

TEST_F(Serial, OpenWritesTheFixedLineSettings)
{
    EXPECT_EQ(openPort(3, 9600, 2, 0), 1);
    std::string out = console.take();
    EXPECT_EQ(out.substr(0, out.find('\n') + 1), "Try to open \\\\.\\COM3\n");
    EXPECT_EQ(fake::callsNamed("CreateFileA"), std::vector<std::string>{"CreateFileA \\\\.\\COM3"});
    const DCB& d = fake::state.portDcb;
    EXPECT_EQ(d.BaudRate, 38400u);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_EQ(d.XonChar, 0x11);  // kept as read
    DWORD flags;
    memcpy(&flags, reinterpret_cast<const char*>(&d) + 8, 4);
    EXPECT_EQ(flags & 0x7fff, 0x1891u);
    EXPECT_EQ(fake::state.portTimeouts.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(fake::state.portTimeouts.ReadTotalTimeoutMultiplier, 200u);
}

TEST_F(Serial, ParityIsPassedOnAndSwitchesParityChecking)
{
    EXPECT_EQ(openPort(3, 38400, 1, 2), 1);
    EXPECT_EQ(fake::state.portDcb.Parity, 2);
    EXPECT_EQ(fake::state.portDcb.fParity, 1u);
}

TEST_F(Serial, OpenWhileOpenLeavesThePortAlone)
{
    ASSERT_EQ(openPort(), 1);
    console.take();
    fake::state.calls.clear();
    EXPECT_EQ(openPort(), 1);
    EXPECT_EQ(console.take(), "hComm==INVALID_HANDLE_VALUE\n");
    EXPECT_TRUE(fake::state.calls.empty());
}

TEST_F(Serial, EachFailureOfOpenCleansUpThenReports)
{
    const struct {
        const char* failing;
        const char* message;
        std::vector<std::string> calls;
    } cases[] = {
        {"CreateFileA", "Fehler beim Oeffnen des COM-Ports! in CreateFile()\n", {"CreateFileA \\\\.\\COM3"}},
        {"GetCommTimeouts", "Fehler beim Oeffnen des COM-Ports! in GetCommTimeouts()\n",
         {"CreateFileA \\\\.\\COM3", "GetCommTimeouts", "SetCommTimeouts 0", "SetCommState 0", "CloseHandle"}},
        {"GetCommState", "Fehler beim \xD6" "ffnen des COM-Ports! in GetCommState()\n",
         {"CreateFileA \\\\.\\COM3", "GetCommTimeouts", "SetCommTimeouts 200", "GetCommState", "SetCommTimeouts 0",
          "SetCommState 0", "CloseHandle"}},
        {"SetCommState", "Fehler beim setzen der COM-Port Parameter in SetCommState()\n", {}},
    };
    for (const auto& c : cases) {
        fake::reset();
        CSerial s;
        s.setLog(&log);
        console.take();
        fake::state.failing.insert(c.failing);
        EXPECT_EQ(s.open(3, 38400, 8, 1, 0), 0) << c.failing;
        std::string out = console.take();
        EXPECT_EQ(out.substr(out.size() - strlen(c.message)), c.message) << c.failing;
        if (!c.calls.empty()) {
            EXPECT_EQ(fake::state.calls, c.calls) << c.failing;
        }
    }
}

TEST_F(Serial, FailedRestoreIsReportedButTheDeviceIsReleased)
{
    // An unplugged receiver fails the restore; the next open must reach the new device.
    ASSERT_EQ(openPort(), 1);
    EXPECT_EQ(fake::state.portDcb.BaudRate, 38400u);
    console.take();
    fake::state.failing.insert("SetCommState");
    EXPECT_EQ(serial.Close(), 0);
    EXPECT_EQ(console.take(), "Fehler beim Schlie\xDF" "en des COM-Ports in SetCommState()\n");
    EXPECT_FALSE(fake::state.portOpen);
    fake::state.failing.clear();
    fake::state.calls.clear();
    EXPECT_EQ(openPort(), 1);
    EXPECT_EQ(fake::callsNamed("CreateFileA").size(), 1u);

    EXPECT_EQ(serial.Close(), 1);
    EXPECT_FALSE(fake::state.portOpen);
    fake::state.calls.clear();
    EXPECT_EQ(serial.Close(), 1);
    EXPECT_TRUE(fake::state.calls.empty());
}

TEST_F(Serial, ReadDeliversAtMostFourAndKeepsBytesBeforeATimeout)
{
    char buffer[8] = {};
    EXPECT_EQ(serial.read(buffer), 0);  // closed: no platform call
    ASSERT_EQ(openPort(), 1);
    fake::feed("0123456789");
    EXPECT_EQ(serial.read(buffer), 4);
    EXPECT_EQ(serial.read(buffer), 4);
    EXPECT_EQ(serial.read(buffer), 2);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(serial.read(buffer), 0);
    fake::feed("ab");
    fake::state.line.push_back(fake::kReadError);
    EXPECT_EQ(serial.read(buffer), 2);
}

TEST_F(Serial, ChangeParamsAndSmallCalls)
{
    EXPECT_EQ(serial.changeParams(9600, 7, 2, 1), 0);
    EXPECT_EQ(serial.transmitChar('x'), 0);
    EXPECT_EQ(serial.write("abc", 3), 0);
    ASSERT_EQ(openPort(), 1);
    EXPECT_EQ(serial.changeParams(9600, 7, 2, 1), 1);
    EXPECT_EQ(fake::state.portDcb.BaudRate, 9600u);
    EXPECT_EQ(fake::state.portDcb.StopBits, 2);
    EXPECT_EQ(serial.write("abc", 3), 3);
    console.take();
    fake::state.failing.insert("TransmitCommChar");
    EXPECT_EQ(serial.transmitChar('x'), 1);
    EXPECT_EQ(console.take(), "Fehler beim Schreiben auf COM-Port! in TransmitCommChar()\n");
    fake::state.failing.insert("GetCommState");
    EXPECT_EQ(serial.changeParams(9600, 7, 2, 1), 0);
    EXPECT_EQ(console.take(), "Fehler beim \xC4" "ndern der COM-Port Parameter in GetCommState()\n");
    EXPECT_FALSE(fake::state.portOpen);
}

TEST_F(Serial, GetTimeLogsOnlyWhenAsked)
{
    fake::reset(1700010303);  // 01:05:03
    EXPECT_EQ(serial.getTime(0), 1700010303);
    EXPECT_EQ(console.take(), "");
    EXPECT_EQ(serial.getTime(1), 1700010303);
    EXPECT_EQ(console.take(), "its now 01:05:03 (1700010303)\n");
}

}  // namespace
