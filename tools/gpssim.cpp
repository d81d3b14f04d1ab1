// gpssim: a GPS receiver on a pseudo-terminal, for demos and tests.
//
// It opens a pseudo-terminal, links its device as COM<N> in a working
// directory, and writes NMEA 0183 the way a receiver does: a burst of
// sentences per fix, CR LF line ends, correct checksums, paced at 38400 baud.
//
//   gpssim --link DIR/COM7 --route 53.0700,8.8000:53.0800,8.8100 --speed 50 --rate 1
//   gpssim --link DIR/COM7 --replay capture.log [--fast]
//
// Options: gpssim --help (kUsage below).
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "nmea_out.h"
#include "geo/geo.h"

namespace {

constexpr double kBytesPerSecond = 38400.0 / 10.0;  // 8N1: ten bits a byte
constexpr double kKnotsPerKmh = 1.0 / 1.852;

struct Waypoint {
    double lat, lon;
};

struct Options {
    std::string link;
    std::string file;  // --write
    std::vector<Waypoint> route;
    std::vector<double> speeds{50};  // km/h on each leg of the route; the last goes on
    double rate = 1;
    double coldSeconds = 0;
    double scale = 1;
    int startHms = 120000;
    std::string talker = "GP";
    std::vector<std::pair<double, double>> pauses;
    std::vector<std::pair<double, double>> tunnels;
    std::vector<double> drops;
    std::string replay;
    bool fast = false;
    double holdSeconds = 2;
    bool wait = false;
};

const char* const kUsage =
    "Usage: gpssim (--link PATH | --write FILE) (--route LAT,LON:LAT,LON... | --replay FILE) [options]\n"
    "A GPS receiver on a pseudo-terminal, linked at PATH (for example DIR/COM7); or its whole\n"
    "drive written to FILE at once (for gpsfake).\n"
    "  --route LAT,LON:...  drive along these waypoints (south/west negative); A:B:A turns at B\n"
    "  --speed KMH[,KMH]... driving speed (default 50); one for each leg of the route, the last\n"
    "                       going on for the legs after it\n"
    "  --rate HZ            fixes per second, 1 to 10 (default 1)\n"
    "  --talker XX          talker of the sentences (default GP; GN, GL, BD, IN, ...)\n"
    "  --cold SECONDS       no-fix sentences for this long first\n"
    "  --scale X            X times faster than real time (default 1)\n"
    "  --start HHMMSS       UTC time of the first fix (default 120000)\n"
    "  --pause AT:SECONDS   fall silent at simulated second AT for SECONDS\n"
    "  --tunnel AT:SECONDS  from simulated second AT, no fix for SECONDS (status V at the usual\n"
    "                       rate, empty position) while the car goes on\n"
    "  --drop AT            at simulated second AT, replace the device (an unplugged receiver)\n"
    "  --replay FILE        replay a capture at its own pace ('#' lines skipped); --fast: at once\n"
    "  --hold SECONDS       keep the device open this long after the last sentence (default 2)\n"
    "  --wait               after making the link, send nothing until signalled (SIGUSR1)\n";

[[noreturn]] void usage(const char* why)
{
    fprintf(stderr, "gpssim: %s\n%s", why, kUsage);
    exit(2);
}

// The device end the program opens, behind a symbolic link.
class Line {
public:
    explicit Line(std::string link) : link_(std::move(link)) { open(); }
    // A file instead: the whole drive written at once, for gpsfake.
    Line(std::string file, bool) : link_(std::move(file))
    {
        master_ = ::open(link_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (master_ < 0) usage("cannot write the file");
        instant = true;
    }
    ~Line() { close(); }
    static inline bool instant = false;  // no pauses: the drive goes to a file

    void open()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) usage("cannot open a pseudo-terminal");
        std::string device = ptsname(master_);
        // Hold the device end open ourselves, raw and without echo, so that
        // what is written before the program opens it is kept, not echoed.
        slave_ = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        termios t;
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, B38400);
        cfsetospeed(&t, B38400);
        tcsetattr(slave_, TCSANOW, &t);
        std::string temp = link_ + ".new";
        unlink(temp.c_str());
        if (symlink(device.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), link_.c_str()) != 0)
            usage("cannot create the link");
        fprintf(stderr, "gpssim: %s -> %s\n", link_.c_str(), device.c_str());
    }

    void close()
    {
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
        master_ = slave_ = -1;
    }

    void drop()
    {
        fprintf(stderr, "gpssim: line dropped\n");
        close();
        open();
    }

    void unlinkDevice() { unlink(link_.c_str()); }

    // Writes at the line's speed; the clock is the caller's business.
    void write(const std::string& bytes, double scale)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return;
            }
            done += static_cast<size_t>(n);
        }
        pause(bytes.size() / kBytesPerSecond / scale);
    }

    static void pause(double seconds)
    {
        if (seconds > 0 && !instant) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }

private:
    std::string link_;
    int master_ = -1;
    int slave_ = -1;
};

std::string nmeaAngle(double degrees, int degreeDigits)
{
    double a = fabs(degrees);
    int whole = static_cast<int>(a);
    double minutes = (a - whole) * 60.0;
    if (minutes >= 59.99995) {  // would print as 60.0000
        ++whole;
        minutes = 0;
    }
    char out[32];
    snprintf(out, sizeof out, "%0*d%07.4f", degreeDigits, whole, minutes);
    return out;
}

std::string clockText(double simSeconds, int startHms)
{
    double start = (startHms / 10000) * 3600 + (startHms / 100 % 100) * 60 + startHms % 100;
    double t = fmod(start + simSeconds, 86400.0);
    int whole = static_cast<int>(t);
    char out[32];
    snprintf(out, sizeof out, "%02d%02d%02d.%02d", whole / 3600, whole / 60 % 60, whole % 60,
             static_cast<int>((t - whole) * 100 + 0.5) % 100);
    return out;
}

std::string fixSentences(const Options& o, double sim, const Waypoint& p, double course, double kmh)
{
    std::string time = clockText(sim, o.startHms);
    std::string lat = nmeaAngle(p.lat, 2) + (p.lat < 0 ? ",S" : ",N");
    std::string lon = nmeaAngle(p.lon, 3) + (p.lon < 0 ? ",W" : ",E");
    char motion[64];
    snprintf(motion, sizeof motion, "%.1f,%.1f", kmh * kKnotsPerKmh, course);
    return withChecksum(o.talker + "RMC," + time + ",A," + lat + "," + lon + "," + motion + ",061226,,,A") +
           withChecksum(o.talker + "GGA," + time + "," + lat + "," + lon + ",1,08,1.0,10.0,M,45.0,M,,");
}

std::string noFixSentences(const Options& o, double sim)
{
    std::string time = clockText(sim, o.startHms);
    return withChecksum(o.talker + "RMC," + time + ",V,,,,,,,061226,,,N") +
           withChecksum(o.talker + "GGA," + time + ",,,,,0,00,,,M,,M,,");
}

double distanceKm(const Waypoint& a, const Waypoint& b)
{
    double dLat = (b.lat - a.lat) * kRadiansPerDegree;
    double dLon = (b.lon - a.lon) * kRadiansPerDegree * cos((a.lat + b.lat) / 2 * kRadiansPerDegree);
    return sqrt(dLat * dLat + dLon * dLon) * kEarthRadiusKm;
}

// Position after travelling km along the route; false past its end.
bool along(const std::vector<Waypoint>& route, double km, Waypoint& at, double& course, size_t& leg)
{
    for (leg = 0; leg + 1 < route.size(); ++leg) {
        double length = distanceKm(route[leg], route[leg + 1]);
        if (km <= length || leg + 2 == route.size()) {
            double f = length > 0 ? std::min(km / length, 1.0) : 1.0;
            at = {route[leg].lat + f * (route[leg + 1].lat - route[leg].lat),
                  route[leg].lon + f * (route[leg + 1].lon - route[leg].lon)};
            double dLon = (route[leg + 1].lon - route[leg].lon) * cos(route[leg].lat * kRadiansPerDegree);
            course = fmod(atan2(dLon, route[leg + 1].lat - route[leg].lat) / kRadiansPerDegree + 360, 360);
            return km <= length;
        }
        km -= length;
    }
    at = route.empty() ? Waypoint{0, 0} : route.back();
    course = 0;
    return false;
}

// Runs the moments planned for simulated second sim: silences and drops.
struct Events {
    const Options& o;
    size_t nextPause = 0, nextDrop = 0;
    void due(double sim, Line& line)
    {
        while (nextPause < o.pauses.size() && o.pauses[nextPause].first <= sim) {
            fprintf(stderr, "gpssim: silent for %.0f s\n", o.pauses[nextPause].second);
            Line::pause(o.pauses[nextPause].second / o.scale);
            ++nextPause;
        }
        while (nextDrop < o.drops.size() && o.drops[nextDrop] <= sim) {
            line.drop();
            ++nextDrop;
        }
    }
};

void drive(const Options& o, Line& line)
{
    Events events{o};
    double step = 1.0 / o.rate;
    double sim = 0;
    for (; sim < o.coldSeconds; sim += step) {
        events.due(sim, line);
        line.write(noFixSentences(o, sim), o.scale);
        Line::pause(step / o.scale - 0.001);
    }
    for (double driven = 0;; sim += step) {
        events.due(sim, line);
        Waypoint at;
        double course;
        size_t leg = 0;
        bool more = along(o.route, driven, at, course, leg);
        double kmh = o.speeds[std::min(leg, o.speeds.size() - 1)];
        auto began = std::chrono::steady_clock::now();
        bool tunnel = false;
        for (const auto& t : o.tunnels) tunnel = tunnel || (sim >= t.first && sim < t.first + t.second);
        line.write(tunnel ? noFixSentences(o, sim) : fixSentences(o, sim, at, course, kmh), o.scale);
        if (!more) break;
        driven += kmh / 3600.0 * step;
        double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        Line::pause(step / o.scale - spent);
    }
}

// Seconds of the day from a sentence's time field, or -1.
double sentenceTime(const std::string& line)
{
    static const char* const kTimed[] = {"RMC,", "GGA,", "GLL,", "ZDA,"};
    size_t dollar = line.find('$');
    if (dollar == std::string::npos || line.size() < dollar + 7) return -1;
    bool timed = false;
    for (const char* t : kTimed) timed = timed || line.compare(dollar + 3, 4, t) == 0;
    if (!timed) return -1;
    size_t field = dollar + 7;
    if (line.compare(dollar + 3, 3, "GLL") == 0) {  // time is the fifth field there
        for (int k = 0; k < 4 && field != std::string::npos; ++k) field = line.find(',', field) + 1;
    }
    if (field == std::string::npos || field + 6 > line.size()) return -1;
    for (int k = 0; k < 6; ++k)
        if (!isdigit(static_cast<unsigned char>(line[field + k]))) return -1;
    return atoi(line.substr(field, 2).c_str()) * 3600 + atoi(line.substr(field + 2, 2).c_str()) * 60 +
           atof(line.c_str() + field + 4);
}

void replay(const Options& o, Line& line)
{
    std::ifstream in(o.replay, std::ios::binary);
    if (!in) usage("cannot read the capture");
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    Events events{o};
    double last = -1, sim = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string raw = text.substr(pos, end - pos);
        pos = end;
        if (raw[0] == '#') continue;
        double t = sentenceTime(raw);
        if (t >= 0) {
            if (last >= 0 && t > last && !o.fast) {
                double gap = std::min(t - last, 5.0);  // a capture may jump; keep the replay moving
                Line::pause(gap / o.scale);
                sim += gap;
            }
            if (last < 0 || t > last) last = t;
        }
        events.due(sim, line);
        line.write(raw, o.scale);
    }
}

Options parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage(("missing value after " + a).c_str());
            return argv[++i];
        };
        if (a == "--help") {
            fputs(kUsage, stdout);
            exit(0);
        } else if (a == "--link") o.link = value();
        else if (a == "--write") o.file = value();
        else if (a == "--route") {
            std::stringstream s(value());
            std::string point;
            while (std::getline(s, point, ':')) {
                Waypoint w;
                if (sscanf(point.c_str(), "%lf,%lf", &w.lat, &w.lon) != 2) usage("bad waypoint");
                o.route.push_back(w);
            }
        } else if (a == "--speed") {
            std::stringstream s(value());
            std::string kmh;
            o.speeds.clear();
            while (std::getline(s, kmh, ',')) o.speeds.push_back(atof(kmh.c_str()));
            if (o.speeds.empty()) usage("--speed needs a value");
        } else if (a == "--rate") o.rate = atof(value().c_str());
        else if (a == "--cold") o.coldSeconds = atof(value().c_str());
        else if (a == "--scale") o.scale = atof(value().c_str());
        else if (a == "--start") o.startHms = atoi(value().c_str());
        else if (a == "--talker") o.talker = value();
        else if (a == "--pause") {
            double at, len;
            if (sscanf(value().c_str(), "%lf:%lf", &at, &len) != 2) usage("bad pause");
            o.pauses.push_back({at, len});
        } else if (a == "--tunnel") {
            double at, len;
            if (sscanf(value().c_str(), "%lf:%lf", &at, &len) != 2) usage("bad tunnel");
            o.tunnels.push_back({at, len});
        } else if (a == "--drop") o.drops.push_back(atof(value().c_str()));
        else if (a == "--replay") o.replay = value();
        else if (a == "--fast") o.fast = true;
        else if (a == "--hold") o.holdSeconds = atof(value().c_str());
        else if (a == "--wait") o.wait = true;
        else usage(("unknown option " + a).c_str());
    }
    if (o.link.empty() == o.file.empty()) usage("give --link or --write");
    if (o.replay.empty() && o.route.size() < 2) usage("give --route with two waypoints or more, or --replay");
    if (o.rate < 1 || o.rate > 10) usage("--rate is 1 to 10");
    for (double kmh : o.speeds)
        if (!(kmh > 0)) usage("--speed must be positive");
    if (o.scale <= 0) usage("--scale must be positive");
    return o;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o = parse(argc, argv);
    signal(SIGPIPE, SIG_IGN);
    sigset_t go;
    sigemptyset(&go);
    sigaddset(&go, SIGUSR1);
    sigprocmask(SIG_BLOCK, &go, nullptr);  // before the link appears, so that no signal is lost
    if (!o.file.empty()) {
        Line file(o.file, true);
        o.replay.empty() ? drive(o, file) : replay(o, file);
        return 0;
    }
    Line line(o.link);
    int signal = 0;
    if (o.wait) sigwait(&go, &signal);  // a test starts the drive once the program listens
    if (o.replay.empty())
        drive(o, line);
    else
        replay(o, line);
    Line::pause(o.holdSeconds);
    line.unlinkDevice();
    return 0;
}
