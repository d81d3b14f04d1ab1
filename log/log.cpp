#include "log.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstring>

namespace {

int openBatches = 0;  // the console is one per process, and so is this

// Room for any double printed as %lf: 309 integer digits, sign, point, six decimals.
constexpr int kNumberSize = 330;
constexpr int kDecimals = 6;

// Appends to a message buffer and cuts at its end, as vsnprintf does.
class MessageWriter {
public:
    MessageWriter(char* buffer, size_t size) : buffer_(buffer), size_(size), used_(0) {}
    void put(const char* text, size_t length, size_t width)
    {
        for (size_t pad = length; pad < width; ++pad) append(" ", 1);
        append(text, length);
    }
    void finish() { buffer_[used_] = '\0'; }

private:
    void append(const char* text, size_t length)
    {
        size_t fits = std::min(length, size_ - 1 - used_);
        memcpy(buffer_ + used_, text, fits);
        used_ += fits;
    }
    char* buffer_;
    size_t size_;
    size_t used_;
};

// The messages of a fix use only %s, %d and %lf, some with a width. These
// are formatted here, to the same bytes as vsnprintf but several times
// faster: vsnprintf's %lf works in multi-precision arithmetic, and a fix
// prints a dozen lines of them. Returns false, having consumed arguments,
// for anything else (flags, precision, other conversions, NaN, a null
// string); the caller then leaves the whole message to vsnprintf.
bool formatCommon(char* buffer, size_t size, const char* format, va_list args)
{
    MessageWriter out(buffer, size);
    char number[kNumberSize];
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            const char* next = strchr(f, '%');
            size_t run = next ? static_cast<size_t>(next - f) : strlen(f);
            out.put(f, run, 0);
            f += run - 1;
            continue;
        }
        ++f;
        size_t width = 0;
        if (*f == '0') return false;  // zero padding
        for (; *f >= '0' && *f <= '9'; ++f) width = width * 10 + static_cast<size_t>(*f - '0');
        if (*f == 'l' && f[1] == 'f') ++f;
        switch (*f) {
        case 's': {
            const char* text = va_arg(args, const char*);
            if (text == nullptr) return false;
            out.put(text, strlen(text), width);
            break;
        }
        case 'd': {
            std::to_chars_result r = std::to_chars(number, number + sizeof number, va_arg(args, int));
            out.put(number, static_cast<size_t>(r.ptr - number), width);
            break;
        }
        case 'f': {
            double value = va_arg(args, double);
            if (!std::isfinite(value)) return false;
            std::to_chars_result r =
                std::to_chars(number, number + sizeof number, value, std::chars_format::fixed, kDecimals);
            if (r.ec != std::errc()) return false;
            out.put(number, static_cast<size_t>(r.ptr - number), width);
            break;
        }
        default: return false;
        }
    }
    out.finish();
    return true;
}

}  // namespace

Log::Log() : fileEnabled(0), keepDays(0), quietConsole(0) {}

ConsoleBatch::ConsoleBatch() { ++openBatches; }

ConsoleBatch::~ConsoleBatch()
{
    if (--openBatches == 0) fflush(stdout);
}

void Log::print(const char* text)
{
    toConsole(text);
    toFile(text);
}

void Log::printDetail(const char* text)
{
    if (!quietConsole) toConsole(text);
    toFile(text);
}

void Log::toConsole(const char* text)
{
    fputs(text, stdout);
    // The program usually ends by being killed; a pipe or a service manager
    // must already hold every line by then. Inside a batch, its end flushes.
    if (openBatches == 0) fflush(stdout);
}

void Log::toFile(const char* text)
{
    if (!fileEnabled) return;
    // A new day moves the log to that day's file (and tries again, should
    // the old day's end have found the disk full).
    if (keepDays > 0) logFile.followTheDay(static_cast<long long>(clockNow()) * 1000, keepDays);
    FILE* file = logFile.get();
    if (!file) return;
    fputs(text, file);
    fflush(file);
}

void Log::setWriteLogFile(int flag)
{
    if (flag == 0) return;
    if (!logFile.get()) logFile.open();
    fileEnabled = 1;
}

void Log::setKeepDays(int days)
{
    keepDays = days;
    if (keepDays > 0) removeOldDailyFiles(keepDays);
}

void Log::setQuietConsole(int flag) { quietConsole = flag; }

namespace {

// Formats the message and hands it to the Log's printer of its kind.
void formatAndPrint(Log* log, void (Log::*print)(const char*), const char* format, va_list args)
{
    char message[kMessageSize];
    va_list again;
    va_copy(again, args);
    if (!formatCommon(message, sizeof message, format, args)) vsnprintf(message, sizeof message, format, again);
    va_end(again);
    (log->*print)(message);
}

}  // namespace

void logMessage(Log* log, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatAndPrint(log, &Log::print, format, args);
    va_end(args);
}

void logDetail(Log* log, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatAndPrint(log, &Log::printDetail, format, args);
    va_end(args);
}
