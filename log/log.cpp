#include "log.h"

#include <cstdarg>

Log::Log() : logFile(nullptr), fileEnabled(0) {}

void Log::print(const char* text)
{
    printf("%s", text);
    // The program usually ends by being killed; a pipe or a service manager
    // must already hold every line by then.
    fflush(stdout);
    if (fileEnabled && logFile) {
        fprintf(logFile, "%s", text);
        fflush(logFile);
    }
}

void Log::setWriteLogFile(int flag)
{
    if (flag == 0) return;
    if (logFile == nullptr) {
        char name[kMessageSize];
        snprintf(name, sizeof name, "logs\\log_%4d.log", getDate());
        _mkdir("logs");  // usually there already
        logFile = openFile(name, "a");
    }
    fileEnabled = 1;
}

int getDate()
{
    std::tm t = localClock(clockNow());
    return (t.tm_year + 1900) * 10000 + (t.tm_mon + 1) * 100 + t.tm_mday;
}

void logMessage(Log* log, const char* format, ...)
{
    char message[kMessageSize];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    log->print(message);
}
