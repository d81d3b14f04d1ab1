#include "gpsd.h"

#include <gps.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstring>

GpsdStream* GpsdStream::open(const char* hostPort)
{
    // HOST, HOST:PORT, [IPv6] or [IPv6]:PORT; an IPv6 address without
    // brackets has no port.
    std::string host = hostPort, port = DEFAULT_GPSD_PORT;
    size_t close = host[0] == '[' ? host.find(']') : std::string::npos;
    size_t colon = close != std::string::npos ? host.find(':', close) : host.rfind(':');
    if (colon != std::string::npos && (close != std::string::npos || host.find(':') == colon)) {
        port = host.substr(colon + 1);
        host.erase(colon);
    }
    if (close != std::string::npos) host = host.substr(1, close - 1);
    auto* data = new gps_data_t{};
    if (gps_open(host.c_str(), port.c_str(), data) != 0) {
        delete data;
        return nullptr;
    }
    if (gps_stream(data, WATCH_ENABLE | WATCH_NMEA, nullptr) != 0) {
        gps_close(data);
        delete data;
        return nullptr;
    }
    return new GpsdStream(data);
}

GpsdStream::~GpsdStream()
{
    gps_close(gps);
    delete gps;
}

// The lines are read from the connection's socket here, not with
// gps_read(), whose recv() waits for the rest of a line with no time-out.
int GpsdStream::nextLine(unsigned char* out, size_t room, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t end;
        while ((end = received.find('\n')) != std::string::npos) {
            std::string line = received.substr(0, end);
            received.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || (line[0] != '$' && line[0] != '!') || line.size() + 2 > room) continue;
            memcpy(out, line.data(), line.size());
            memcpy(out + line.size(), "\r\n", 2);
            return static_cast<int>(line.size() + 2);
        }
        long left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{gps->gps_fd, POLLIN, 0};
        int ready = poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return 0;
        char chunk[4096];
        ssize_t n = ready < 0 ? -1 : recv(gps->gps_fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return -1;
        if (received.size() > sizeof chunk * 16) received.clear();  // no line end for that long: not gpsd
        received.append(chunk, static_cast<size_t>(n));
    }
}
