// The simulator's output, read from its device as the program would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "helpers.h"

namespace {

// Starts gpssim with the arguments and returns every byte it wrote.
std::string runSimulator(const std::string& args)
{
    std::string command = std::string(GPSSIM) + " --link COM9 --hold 0.5 " + args + " 2>/dev/null &";
    if (system(command.c_str()) != 0) return "";
    int fd = -1;
    for (int tries = 0; tries < 200 && fd < 0; ++tries) {
        fd = open("COM9", O_RDONLY | O_NOCTTY);
        if (fd < 0) usleep(10000);
    }
    if (fd < 0) return "";
    termios t;
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    std::string out;
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0) break;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;  // the simulator closed its end
        out.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return out;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);) out.push_back(line);
    return out;
}

TEST(Simulator, DriveHasValidChecksumsAndPassesThePoint)
{
    InTempDir dir;
    std::string out = runSimulator("--route 53.0700,8.8000:53.0780,8.8010 --speed 100 --rate 5 --scale 20 --cold 1");
    std::vector<std::string> all = lines(out);
    ASSERT_GT(all.size(), 50u);
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    Console console;
    double nearest = 1e9;
    int noFix = 0;
    for (const std::string& line : all) {
        ASSERT_EQ(line.back(), '\r') << line;
        std::string sentence = line.substr(0, line.size() - 1);
        unsigned sum = 0;
        size_t star = sentence.find('*');
        for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
        EXPECT_EQ(strtoul(sentence.c_str() + star + 1, nullptr, 16), sum) << sentence;
        if (sentence.rfind("$GPRMC", 0) != 0) continue;
        std::vector<char> buffer(sentence.begin(), sentence.end());
        buffer.push_back('\0');
        if (guard.parseSentence(buffer.data()) == 0)
            nearest = std::min(nearest, CPoiGuard::greatCircleDistance(guard.lastPosLength, 8.8005, guard.lastPosWide, 53.0740));
        else
            ++noFix;
    }
    EXPECT_LT(nearest, 0.010);  // the route runs through this point
    EXPECT_EQ(noFix, 5);        // one second of cold start at 5 Hz
}

TEST(Simulator, ReplayReproducesTheCaptureByteForByte)
{
    InTempDir dir;
    for (const char* capture : {"ublox8-uniqid-monhw.log", "telit-pls83-w.log"}) {
        std::string expected;
        for (const std::string& line : lines(readFile(std::string(NMEA_DIR) + "/" + capture)))
            if (line.empty() || line[0] != '#') expected += line + "\n";
        EXPECT_EQ(runSimulator(std::string("--fast --replay ") + NMEA_DIR + "/" + capture), expected) << capture;
    }
}

}  // namespace

void resetTestPlatform() {}
