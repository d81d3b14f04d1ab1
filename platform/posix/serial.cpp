// The Win32 comm calls on a POSIX terminal device, or on gpsd's NMEA stream.
//
// "\\.\COM<N>" opens, in this order, an entry COM<N> in the working directory
// (a link to the receiver's device or to a pseudo-terminal) or /dev/ttyS<N-1>;
// "gpsd://HOST:PORT" a connection to gpsd (gpsd.cpp), which has time-outs
// but no line settings.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gpsd.h"
#include "platform.h"

namespace {

struct Port {
    int fd;
    GpsdStream* gpsd;  // instead of fd, for gpsd
    // Bytes read from the device but not handed out yet: the program asks
    // for one byte a call, and one system call a byte would cost more than
    // everything else it does.
    unsigned char pending[4096];
    size_t pendingStart;
    size_t pendingEnd;
    COMMTIMEOUTS timeouts;
    bool discardNul;
    bool haveOriginal;
    termios original;  // as found on the first GetCommState
    DCB originalDcb;   // what that GetCommState reported
};

Port* portOf(HANDLE h)
{
    return (h == INVALID_HANDLE_VALUE || h == nullptr) ? nullptr : static_cast<Port*>(h);
}

struct BaudEntry {
    DWORD rate;
    speed_t code;
};

const BaudEntry kBauds[] = {{110, B110},       {300, B300},       {600, B600},       {1200, B1200},
                            {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},
                            {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
                            {460800, B460800}, {921600, B921600}};

bool baudCode(DWORD rate, speed_t& code)
{
    for (const BaudEntry& b : kBauds)
        if (b.rate == rate) {
            code = b.code;
            return true;
        }
    return false;
}

DWORD baudRate(speed_t code)
{
    for (const BaudEntry& b : kBauds)
        if (b.code == code) return b.rate;
    return 0;
}

long long nowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// An entry COM<N> in the working directory counts even when the device it
// links to is missing: opening /dev/ttyS<N-1> instead would read a port
// nobody meant, and the failure names the link.
std::string devicePath(const char* name)
{
    const char* prefix = "\\\\.\\COM";
    size_t n = strlen(prefix);
    if (strncmp(name, prefix, n) != 0) return name;
    std::string local = std::string("COM") + (name + n);
    struct stat st;
    if (lstat(local.c_str(), &st) == 0) return local;
    int number = atoi(name + n);
    if (number >= 1) return "/dev/ttyS" + std::to_string(number - 1);
    return local;
}

char failure[512];

// Notes why opening the device failed: the path, where it links to, the reason.
void noteFailure(const std::string& path, const char* why)
{
    char target[256];
    ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    target[n > 0 ? n : 0] = '\0';
    snprintf(failure, sizeof failure, "%s%s%s%s: %s", path.c_str(), n > 0 ? " (a link to " : "", target, n > 0 ? ")" : "",
             why);
}

void setModemLine(int fd, int line, bool raised)
{
    // Pseudo-terminals and some adapters have no modem lines; that is fine.
    ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &line);
}

}  // namespace

const char* openFailure() { return failure; }

int wsprintfA(char* buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer, 1024, format, args);  // the Win32 call's own limit
    va_end(args);
    return n;
}

HANDLE CreateFileA(LPCSTR name, DWORD, DWORD shareMode, void*, DWORD, DWORD, HANDLE)
{
    if (strncmp(name, kGpsdScheme, strlen(kGpsdScheme)) == 0) {
        GpsdStream* gpsd = GpsdStream::open(name + strlen(kGpsdScheme));
        if (!gpsd) return INVALID_HANDLE_VALUE;
        Port* port = new Port{};
        port->fd = -1;
        port->gpsd = gpsd;
        return port;
    }
    std::string path = devicePath(name);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        noteFailure(path, strerror(errno));
        return INVALID_HANDLE_VALUE;
    }
    if (!isatty(fd)) {
        noteFailure(path, "not a serial port (a terminal device)");
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    if (shareMode == 0) {
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            noteFailure(path, "open in another program (gpsd, ModemManager, a terminal?)");
            ::close(fd);
            return INVALID_HANDLE_VALUE;
        }
        ioctl(fd, TIOCEXCL);
    }
    // A COM port opens with empty buffers: what arrived while it was closed is gone.
    tcflush(fd, TCIFLUSH);
    Port* port = new Port{};
    port->fd = fd;
    return port;
}

BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts)
{
    Port* port = portOf(h);
    if (!port) return FALSE;
    *timeouts = port->timeouts;
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts)
{
    Port* port = portOf(h);
    if (!port) return FALSE;
    port->timeouts = *timeouts;
    return TRUE;
}

BOOL GetCommState(HANDLE h, DCB* dcb)
{
    Port* port = portOf(h);
    termios t;
    if (!port || tcgetattr(port->fd, &t) != 0) return FALSE;
    memset(dcb, 0, sizeof *dcb);
    dcb->DCBlength = sizeof *dcb;
    dcb->BaudRate = baudRate(cfgetispeed(&t));
    dcb->fBinary = 1;
    dcb->fParity = (t.c_iflag & INPCK) != 0;
    bool hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
    dcb->fOutxCtsFlow = hardwareFlow;
    dcb->fDtrControl = DTR_CONTROL_ENABLE;
    dcb->fRtsControl = hardwareFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb->fOutX = (t.c_iflag & IXON) != 0;
    dcb->fInX = (t.c_iflag & IXOFF) != 0;
    dcb->fNull = port->discardNul;
    switch (t.c_cflag & CSIZE) {
    case CS5: dcb->ByteSize = 5; break;
    case CS6: dcb->ByteSize = 6; break;
    case CS7: dcb->ByteSize = 7; break;
    default: dcb->ByteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        dcb->Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
        dcb->Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        dcb->Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    dcb->StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    dcb->XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb->XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    if (!port->haveOriginal) {
        port->original = t;
        port->originalDcb = *dcb;
        port->haveOriginal = true;
    }
    return TRUE;
}

BOOL SetCommState(HANDLE h, DCB* dcb)
{
    Port* port = portOf(h);
    if (!port || port->gpsd) return FALSE;
    // Handing back the settings as first read restores the terminal exactly,
    // including what a DCB cannot describe (echo, canonical mode).
    if (port->haveOriginal && memcmp(dcb, &port->originalDcb, sizeof *dcb) == 0) {
        port->discardNul = dcb->fNull;
        return tcsetattr(port->fd, TCSANOW, &port->original) == 0;
    }
    termios t;
    if (tcgetattr(port->fd, &t) != 0) return FALSE;
    speed_t speed;
    if (!baudCode(dcb->BaudRate, speed)) return FALSE;
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    switch (dcb->ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return FALSE;
    }
    switch (dcb->Parity) {
    case NOPARITY: break;
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: return FALSE;
    }
    if (dcb->fParity) t.c_iflag |= INPCK;
    if (dcb->StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (dcb->fOutxCtsFlow || dcb->fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (dcb->fOutX) t.c_iflag |= IXON;
    if (dcb->fInX) t.c_iflag |= IXOFF;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(port->fd, TCSANOW, &t) != 0) return FALSE;
    setModemLine(port->fd, TIOCM_DTR, dcb->fDtrControl != DTR_CONTROL_DISABLE);
    if (dcb->fRtsControl != RTS_CONTROL_HANDSHAKE)
        setModemLine(port->fd, TIOCM_RTS, dcb->fRtsControl != RTS_CONTROL_DISABLE);
    port->discardNul = dcb->fNull;
    return TRUE;
}

// Hands out what an earlier read brought in, NUL bytes dropped when asked.
static void takePending(Port* port, unsigned char* out, DWORD length, DWORD* read)
{
    while (*read < length && port->pendingStart < port->pendingEnd) {
        unsigned char c = port->pending[port->pendingStart++];
        if (!(c == 0 && port->discardNul)) out[(*read)++] = c;
    }
}

BOOL ReadFile(HANDLE h, void* buffer, DWORD length, DWORD* read, void*)
{
    Port* port = portOf(h);
    *read = 0;
    if (!port) return FALSE;
    auto* out = static_cast<unsigned char*>(buffer);
    takePending(port, out, length, read);
    if (*read == length) return TRUE;  // no clock, no system call
    const COMMTIMEOUTS& to = port->timeouts;
    bool returnAtOnce = to.ReadIntervalTimeout == MAXDWORD && to.ReadTotalTimeoutMultiplier == 0 &&
                        to.ReadTotalTimeoutConstant == 0;
    long long total = static_cast<long long>(to.ReadTotalTimeoutMultiplier) * length + to.ReadTotalTimeoutConstant;
    bool forever = total == 0 && !returnAtOnce;
    long long deadline = nowMs() + total;
    while (*read < length) {
        int wait = -1;
        if (!forever) {
            long long left = deadline - nowMs();
            wait = returnAtOnce || left < 0 ? 0 : static_cast<int>(left);
        }
        if (port->gpsd) {
            int n = port->gpsd->nextLine(port->pending, sizeof port->pending, wait < 0 ? 1000 : wait);
            if (n < 0) return FALSE;  // gpsd closed the connection
            if (n == 0) {
                if (wait >= 0) return TRUE;  // time-out: what came so far
                continue;
            }
            port->pendingStart = 0;
            port->pendingEnd = static_cast<size_t>(n);
            takePending(port, out, length, read);
            continue;
        }
        pollfd p{port->fd, POLLIN, 0};
        int rc = poll(&p, 1, wait);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return FALSE;
        }
        if (rc == 0) return TRUE;  // time-out: what came so far
        if (!(p.revents & POLLIN)) return FALSE;  // hang-up or error with nothing left to read
        ssize_t n = ::read(port->fd, port->pending, sizeof port->pending);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return FALSE;  // unplugged, or the far end of a pseudo-terminal closed
        }
        if (n == 0) return FALSE;
        port->pendingStart = 0;
        port->pendingEnd = static_cast<size_t>(n);
        takePending(port, out, length, read);
    }
    return TRUE;
}

BOOL WriteFile(HANDLE h, const void* buffer, DWORD length, DWORD* written, void*)
{
    Port* port = portOf(h);
    *written = 0;
    if (!port) return FALSE;
    const auto* in = static_cast<const unsigned char*>(buffer);
    long long deadline = nowMs() + static_cast<long long>(port->timeouts.WriteTotalTimeoutMultiplier) * length +
                         port->timeouts.WriteTotalTimeoutConstant;
    bool forever = port->timeouts.WriteTotalTimeoutMultiplier == 0 && port->timeouts.WriteTotalTimeoutConstant == 0;
    while (*written < length) {
        long long left = deadline - nowMs();
        pollfd p{port->fd, POLLOUT, 0};
        int rc = poll(&p, 1, forever ? -1 : (left < 0 ? 0 : static_cast<int>(left)));
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return rc == 0;
        ssize_t n = ::write(port->fd, in + *written, length - *written);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return FALSE;
        }
        *written += static_cast<DWORD>(n);
    }
    return TRUE;
}

BOOL TransmitCommChar(HANDLE h, char c)
{
    Port* port = portOf(h);
    return port && ::write(port->fd, &c, 1) == 1;
}

BOOL CloseHandle(HANDLE h)
{
    Port* port = portOf(h);
    if (!port) return FALSE;
    if (port->gpsd) {
        delete port->gpsd;
    } else {
        ioctl(port->fd, TIOCNXCL);  // exclusive mode outlives the descriptor otherwise
        ::close(port->fd);
    }
    delete port;
    return TRUE;
}
