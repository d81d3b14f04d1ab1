// stream_bench: the whole program fed a 10 Hz receiver stream through a
// pseudo-terminal for a while. Reports the CPU time it used per minute, its
// peak resident memory, and the latency from the line end of a $GPRMC
// sentence on the line to the matching "POI in the near" line on its
// console. Each tick is a burst of RMC then GGA, or with --rmc-last 1 GGA
// then RMC, as SiRF and u-blox receivers send them. With --gpsd it feeds
// gpsd instead (CPU and memory only); with --program and --gpsd both, the
// program reads the stream through that gpsd (gpsd=localhost:PORT), and
// gpsd's CPU is reported beside its own. With --console-null the program's
// console goes to /dev/null, as gpsd's output goes nowhere without clients
// (no latency then).
//
//   stream_bench --program build/poiguard --seconds 60 [--console-null 1] [--rmc-last 1]
//   stream_bench --gpsd /usr/sbin/gpsd --seconds 60
//   stream_bench --program build/poiguard --gpsd /usr/sbin/gpsd --seconds 60
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/nmea_out.h"

namespace {

using Clock = std::chrono::steady_clock;

// A car creeping north past a POI at 53.07400 N 8.80000 E, one fix a tick.
std::string rmc(int tick)
{
    char body[128];
    double minutes = 4.4000 - 0.0100 + 0.0002 * (tick % 100);  // within about 20 m of the POI
    snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.%d0,A,53%07.4f,N,00848.0000,E,1.0,0.0,061226,,,A",
             12 + tick / 36000, tick / 600 % 60, tick / 10 % 60, tick % 10, minutes);
    return withChecksum(body);
}

std::string gga(int tick)
{
    char body[128];
    snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.%d0,5304.4000,N,00848.0000,E,1,08,1.0,10.0,M,45.0,M,,",
             12 + tick / 36000, tick / 600 % 60, tick / 10 % 60, tick % 10);
    return withChecksum(body);
}

struct Usage {
    double cpuSeconds;
    long peakKb;
};

// CPU time of every thread so far, to the nanosecond (clock ticks of
// /proc/PID/stat are too coarse for a program this idle).
Usage usageOf(pid_t pid)
{
    double cpu = 0;
    namespace fs = std::filesystem;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::ifstream schedstat(task.path() / "schedstat");
        double ns = 0;
        schedstat >> ns;
        cpu += ns / 1e9;
    }
    long peak = 0;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) peak = atol(line.c_str() + 6);
    return {cpu, peak};
}

void writeAll(int fd, const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
    }
}

// Reads the program's console line by line.
class Console {
public:
    explicit Console(int fd) : fd_(fd) {}
    // The next line holding text, or "" after the time-out.
    std::string waitFor(const char* text, int timeoutMs)
    {
        Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            size_t nl;
            while ((nl = buffer_.find('\n')) != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                if (line.find(text) != std::string::npos) return line;
            }
            int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
            if (left <= 0) return "";
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, left) <= 0) return "";
            char chunk[65536];
            ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) return "";
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

    // How many lines holding text came in the first read that brought any,
    // or 0 at the deadline.
    int nextMatches(const char* text, Clock::time_point deadline)
    {
        for (;;) {
            int count = 0;
            size_t nl;
            while ((nl = buffer_.find('\n')) != std::string::npos) {
                count += buffer_.substr(0, nl).find(text) != std::string::npos;
                buffer_.erase(0, nl + 1);
            }
            if (count > 0) return count;
            int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
            pollfd p{fd_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, left) <= 0) return 0;
            char chunk[65536];
            ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) return 0;
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

private:
    int fd_;
    std::string buffer_;
};

}  // namespace

int main(int argc, char** argv)
{
    std::string program, gpsd;
    int seconds = 60, pois = 10000;
    bool consoleNull = false, rmcLast = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--program") program = argv[i + 1];
        else if (a == "--gpsd") gpsd = argv[i + 1];
        else if (a == "--seconds") seconds = atoi(argv[i + 1]);
        else if (a == "--pois") pois = atoi(argv[i + 1]);
        else if (a == "--console-null") consoleNull = atoi(argv[i + 1]) != 0;
        else if (a == "--rmc-last") rmcLast = atoi(argv[i + 1]) != 0;
    }
    if (program.empty() && gpsd.empty()) {
        fprintf(stderr, "usage: stream_bench [--program POIGUARD] [--gpsd GPSD] [--seconds N] [--pois N]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    if (!program.empty()) program = fs::absolute(program).string();
    fs::path dir = fs::temp_directory_path() / ("poiguard-stream-" + std::to_string(getpid()));
    fs::create_directories(dir / "vodudo");

    int master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    std::string device = ptsname(master);
    int slave = open(device.c_str(), O_RDWR | O_NOCTTY);
    termios t;
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    tcsetattr(slave, TCSANOW, &t);
    fs::create_symlink(device, dir / "COM8");

    {
        std::ofstream list(dir / "vodudo" / "gefahr.csv");
        list << "8.80000, 53.07400, Blitzer\n";
        std::mt19937 random(1);
        // Spread over a country the size of Germany (about 700 x 900 km), as a
        // national list of speed cameras would be.
        std::uniform_real_distribution<double> spread(-1.0, 1.0);
        list.precision(8);
        for (int i = 1; i < pois; ++i)
            list << 10.0 + 5.0 * spread(random) << ", " << 51.0 + 4.0 * spread(random) << ", P" << i << "\n";
        std::ofstream(dir / "config.txt") << "startProgram=true\nmaxTimeNoData=30\n"
                                          << (gpsd.empty() ? "comPort=8\n" : "gpsd=localhost:29470\n");
    }

    pid_t gpsdPid = -1;  // a gpsd between the line and the program
    if (!program.empty() && !gpsd.empty()) {
        gpsdPid = fork();
        if (gpsdPid == 0) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl(gpsd.c_str(), gpsd.c_str(), "-N", "-n", "-S", "29470", device.c_str(), nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    int out[2];
    if (pipe(out) != 0) return 1;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        int null = open("/dev/null", O_WRONLY);
        dup2(consoleNull ? null : out[1], 1);
        dup2(null, 2);
        if (!program.empty()) execl(program.c_str(), program.c_str(), nullptr);
        else execl(gpsd.c_str(), gpsd.c_str(), "-N", "-n", "-S", "29470", device.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    Console console(out[0]);
    if (!program.empty() && !consoleNull && console.waitFor("serial.open successfully", 10000).empty()) {
        fprintf(stderr, "the program did not open its port\n");
        kill(pid, SIGKILL);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    Usage before = usageOf(pid), gpsdBefore = gpsdPid > 0 ? usageOf(gpsdPid) : Usage{};
    std::vector<double> latencyMs;
    Clock::time_point start = Clock::now();
    int ticks = seconds * 10;
    // Bursts go out on time whatever the program prints; each near-POI line
    // belongs to the oldest fix that has none yet (a program that waits for
    // the next '$' prints it only after the next burst).
    std::vector<Clock::time_point> sent;
    size_t answered = 0;
    for (int tick = 0; tick <= ticks; ++tick) {
        Clock::time_point due = start + std::chrono::milliseconds(100 * tick);
        // Through gpsd the first fixes may never reach the program, and the
        // lines could not be told apart: CPU and memory only.
        if (program.empty() || consoleNull || gpsdPid > 0) {
            std::this_thread::sleep_until(due);
        } else {
            for (Clock::time_point now = Clock::now(); now < due; now = Clock::now())
                for (int n = console.nextMatches("POI in the near", due); n > 0 && answered < sent.size(); --n, ++answered)
                    if (answered > 0) latencyMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent[answered]).count());
        }
        if (tick == ticks) break;
        if (rmcLast) writeAll(master, gga(tick));
        writeAll(master, rmc(tick));
        sent.push_back(Clock::now());  // the fix's last byte, its line end, is on the line
        if (!rmcLast) writeAll(master, gga(tick));
    }
    Usage after = usageOf(pid), gpsdAfter = gpsdPid > 0 ? usageOf(gpsdPid) : Usage{};
    if (gpsdPid > 0) {
        kill(gpsdPid, SIGTERM);
        waitpid(gpsdPid, nullptr, 0);
    }
    kill(pid, SIGTERM);  // what a service manager sends
    // Threads that ended during the run are not in /proc any more; the
    // resource usage at exit counts them, start-up included.
    rusage used{};
    wait4(pid, nullptr, 0, &used);
    double total = used.ru_utime.tv_sec + used.ru_stime.tv_sec + (used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
    after.cpuSeconds = std::max(after.cpuSeconds, total);
    fs::remove_all(dir);

    double perMinute = (after.cpuSeconds - before.cpuSeconds) * 60.0 / seconds;
    printf("%s%s: CPU %.4f s per minute of driving, peak resident memory %ld KiB\n",
           program.empty() ? "gpsd" : consoleNull ? "poiguard (console to /dev/null)" : "poiguard (console to a pipe)",
           gpsdPid > 0 ? " through gpsd" : "", perMinute, after.peakKb);
    if (gpsdPid > 0)
        printf("gpsd serving it: CPU %.4f s per minute of driving\n",
               (gpsdAfter.cpuSeconds - gpsdBefore.cpuSeconds) * 60.0 / seconds);
    if (!latencyMs.empty()) {
        std::sort(latencyMs.begin(), latencyMs.end());
        printf("poiguard: latency from the RMC's line end (RMC %s) to the near-POI line over %zu fixes: median %.3f ms, "
               "99th percentile %.3f ms\n",
               rmcLast ? "last" : "first", latencyMs.size(), latencyMs[latencyMs.size() / 2], latencyMs[latencyMs.size() * 99 / 100]);
    }
    return 0;
}
