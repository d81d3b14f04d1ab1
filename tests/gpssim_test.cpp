// The simulator's output, read from its device as the program would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "helpers.h"

void resetTestPlatform() {}

namespace {

// Starts gpssim with the arguments and returns every byte it wrote.
std::string simulate(const std::string& args)
{
    if (system((std::string(GPSSIM) + " --link COM9 --hold 0.5 " + args + " 2>/dev/null &").c_str()) != 0) return "";
    int fd = -1;
    for (int tries = 0; tries < 200 && fd < 0; ++tries)
        if ((fd = open("COM9", O_RDONLY | O_NOCTTY)) < 0) usleep(10000);
    termios t;
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    std::string out;
    char buffer[4096];
    pollfd p{fd, POLLIN, 0};
    for (ssize_t n; poll(&p, 1, 5000) > 0 && (n = read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
    close(fd);
    return out;
}

TEST(Simulator, ReplayReproducesTheCaptureByteForByte)
{
    InTempDir dir;
    for (const char* capture : {"ublox8-uniqid-monhw.log", "telit-pls83-w.log"}) {
        std::istringstream file(readFile(std::string(NMEA_DIR) + "/" + capture));
        std::string expected;
        for (std::string line; std::getline(file, line);)
            if (line.empty() || line[0] != '#') expected += line + "\n";
        EXPECT_EQ(simulate(std::string("--fast --replay ") + NMEA_DIR + "/" + capture), expected) << capture;
    }
}

}  // namespace
