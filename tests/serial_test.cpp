#include <gtest/gtest.h>

#include <cstring>

#include "fake_platform.h"
#include "helpers.h"
#include "own_text.h"
#include "serial/serial.h"

namespace {

struct Port : Guarded {
    CSerial serial;
    Port() { serial.setLog(&log); }
};

TEST(Serial, OpenWritesTheFixedLineSettingsWhateverItIsAsked)
{
    Port p;
    EXPECT_EQ(p.serial.open(3, 9600, 8, 2, 2), 1);
    EXPECT_EQ(p.console.take().substr(0, 56), "CSerial::setLog(Log _log) finished\nTry to open \\\\.\\COM3\n");
    const DCB& d = fake::state.portDcb;
    EXPECT_EQ(d.BaudRate, 38400u);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, 2);
    EXPECT_EQ(d.wReserved, 0);
    DWORD flags;
    memcpy(&flags, reinterpret_cast<const char*>(&d) + 8, 4);
    EXPECT_EQ(flags & 0x7fff, 0x1893u);  // 0x1891 and parity checking
    EXPECT_EQ(fake::state.portTimeouts.ReadTotalTimeoutConstant + fake::state.portTimeouts.ReadTotalTimeoutMultiplier, 400u);
    fake::state.calls.clear();
    EXPECT_EQ(p.serial.open(3, 38400, 8, 1, 0), 1);  // already open: left alone
    EXPECT_EQ(p.console.take(), "hComm==INVALID_HANDLE_VALUE\n");
    EXPECT_TRUE(fake::state.calls.empty());
}

// Each failing call: what open, Close or changeParams return, what they
// report, and that the port is released before the report.
TEST(Serial, EachFailureCleansUpThenReports)
{
    const struct {
        const char* failing;
        const char* operation;
        int result;
        const char* message;
    } cases[] = {
        {"CreateFileA", "open", 0, "Fehler beim Oeffnen des COM-Ports! in CreateFile()\n    COM3 (a link to /dev/gps0): No such "
                                   "file or directory; see \"The port\" in poiguard's README\n"},
        {"GetCommTimeouts", "open", 0, "Fehler beim Oeffnen des COM-Ports! in GetCommTimeouts()\n"},
        {"GetCommState", "open", 0, "Fehler beim " TEXT_O_UMLAUT "ffnen des COM-Ports! in GetCommState()\n"},
        {"SetCommState", "open", 0, "Fehler beim setzen der COM-Port Parameter in SetCommState()\n"},
        // An unplugged receiver: the restore fails, and the device must still be released.
        {"SetCommTimeouts", "Close", 0, "Fehler beim Schlie" TEXT_SHARP_S "en des COM-Ports in SetCommTimeouts\n"},
        {"SetCommState", "Close", 0, "Fehler beim Schlie" TEXT_SHARP_S "en des COM-Ports in SetCommState()\n"},
        {"GetCommState", "changeParams", 0, "Fehler beim " TEXT_A_UMLAUT "ndern der COM-Port Parameter in GetCommState()\n"},
        {"SetCommState", "changeParams", 0, "Fehler beim " TEXT_A_UMLAUT "ndern der COM-Port Parameter in SetCommState\n"},
    };
    // The German texts in the system's encoding: UTF-8 on Linux, which the
    // journal shows as text, Windows-1252 on Windows as always.
    EXPECT_EQ(std::string(TEXT_A_UMLAUT TEXT_O_UMLAUT TEXT_SHARP_S), kOnWindows ? "\xC4\xD6\xDF" : "\xC3\x84\xC3\x96\xC3\x9F");
    for (const auto& c : cases) {
        Port p;
        std::string op = c.operation;
        if (op != "open") {
            ASSERT_EQ(p.serial.open(3, 38400, 8, 1, 0), 1);
        }
        p.console.take();
        fake::state.failing.insert(c.failing);
        int result = op == "open" ? p.serial.open(3, 38400, 8, 1, 0)
                     : op == "Close" ? p.serial.Close()
                                     : p.serial.changeParams(9600, 8, 1, 0);
        EXPECT_EQ(result, c.result) << c.failing << " in " << op;
        std::string out = p.console.take();
        EXPECT_EQ(out.substr(out.size() - std::min(out.size(), strlen(c.message))), c.message) << c.failing << " in " << op;
        EXPECT_FALSE(fake::state.portOpen) << c.failing << " in " << op;
    }
}

// Why a port does not open is said at the first attempt only.
TEST(Serial, TheReasonOnce)
{
    Port p;
    fake::state.failing.insert("CreateFileA");
    p.serial.open(3, 38400, 8, 1, 0);
    p.console.take();
    p.serial.open(3, 38400, 8, 1, 0);
    EXPECT_EQ(p.console.take().find("    COM3"), std::string::npos);
}

// What reads hand back from a scripted line: at most four bytes each, the
// bytes that came before a time-out or a failed read, and nothing from a
// port never opened.
TEST(Serial, Reads)
{
    const struct {
        const char* legend;
        std::vector<int> line;  // bytes and fake::kTimeout, fake::kReadError
        std::vector<std::string> reads;
        bool opened = true;
    } rows[] = {
        {"four a read", {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}, {"0123", "4567", "89"}},
        {"the bytes before a time-out", {'a', 'b', fake::kTimeout, 'c'}, {"ab", "c"}},
        {"the bytes before a failed read", {'a', 'b', fake::kReadError}, {"ab"}},
        {"a port never opened", {'a'}, {"", ""}, false},
    };
    for (const auto& r : rows) {
        Guarded g;
        CSerial serial;
        if (r.opened) {
            ASSERT_EQ(serial.open(3, 38400, 8, 1, 0), 1);
        }
        fake::state.line.assign(r.line.begin(), r.line.end());
        std::vector<std::string> reads;
        char buffer[8];
        for (size_t i = 0; i < r.reads.size(); ++i) reads.emplace_back(buffer, static_cast<size_t>(serial.read(buffer)));
        EXPECT_EQ(reads, r.reads) << r.legend;
        EXPECT_EQ(g.console.take(), "") << r.legend;  // no log attached: nothing printed
    }
    Guarded g;  // never opened: nothing changes, nothing is called; open: the new line settings
    CSerial serial;
    EXPECT_EQ(serial.changeParams(9600, 8, 1, 0) * 10 + serial.Close(), 1);
    EXPECT_TRUE(fake::state.calls.empty());
    ASSERT_EQ(serial.open(3, 38400, 8, 1, 0), 1);
    EXPECT_EQ(serial.changeParams(4800, 7, 2, 1), 1);
    const DCB& dcb = fake::state.portDcb;
    EXPECT_EQ(dcb.BaudRate * 1000 + dcb.ByteSize * 100 + dcb.StopBits * 10 + dcb.Parity, 4800721u);
    serial.Close();
    EXPECT_FALSE(fake::state.portOpen);
}

}  // namespace
