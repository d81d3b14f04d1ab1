// gpsd's NMEA stream, for the comm calls: CreateFileA("gpsd://HOST:PORT")
// opens a connection to gpsd that ReadFile reads like a serial line.
#pragma once

#include <cstddef>
#include <string>

struct gps_data_t;

class GpsdStream {
public:
    // A connection, made and set to watch NMEA by libgps (gpsd sends its
    // pseudo-NMEA for receivers that speak a binary protocol); nullptr when
    // gpsd cannot be reached.
    static GpsdStream* open(const char* hostPort);
    ~GpsdStream();
    GpsdStream(const GpsdStream&) = delete;
    GpsdStream& operator=(const GpsdStream&) = delete;

    // Waits at most timeoutMs for the next NMEA line and copies it, with its
    // CR LF, into out: its length, 0 after the time-out, -1 once gpsd has
    // closed the connection. gpsd's own JSON reports are skipped.
    int nextLine(unsigned char* out, size_t room, int timeoutMs);

private:
    explicit GpsdStream(gps_data_t* data) : gps(data) {}
    gps_data_t* gps;
    std::string received;  // what came after the last whole line
};
