// The few services the program needs besides the Win32 calls it makes by name.
// Each platform folder implements them; the tests link a fake instead.
#pragma once

#include <cstdio>
#include <ctime>

// Opens a file the way the program names it: a '\' in the path is a
// directory separator on every platform. A file opened for reading starts
// after its UTF-8 byte-order mark, which Excel and Windows editors write
// first (platform/text_files.cpp).
FILE* openFile(const char* path, const char* mode);
FILE* skipByteOrderMark(FILE* file, const char* mode);

// Flushes a file written and has the system put it on the disk, so that a
// power cut keeps what was written.
void syncFile(FILE* file);

// fgets() with the line ends of a Windows text-mode read: a CR directly
// before the LF is not part of the line.
char* readTextLine(char* buffer, int size, FILE* file);

// A number that changes whenever the file is replaced or written (from its
// modification time, size and file number); -1 when it cannot be read.
long long fileVersion(const char* path);

// From now on the reload signal (SIGHUP, which systemctl reload sends) is
// noted instead of ending the process; reloadRequested() takes the note.
// Windows has no such signal: nothing is ever noted there.
void catchReloadSignal();
bool reloadRequested();

// Whether CreateFileA opens "gpsd://HOST:PORT": gpsd's NMEA stream, through
// libgps. Windows has no gpsd.
constexpr const char* kGpsdScheme = "gpsd://";
bool readsGpsd();

// Why the last CreateFileA of a port failed, in the system's words; on
// POSIX naming the device it tried: "COM1 (a link to /dev/gps0): No such
// file or directory".
const char* openFailure();

// The user the program runs as, for a file it cannot read.
const char* userName();

// The command that makes a POI list here (installed, or the source tree's
// script for a build not installed); nullptr where there is none.
const char* importCommand();

// Speech (speech=de): the system's voice for a language, synthesized in
// memory and played through the program's own sound output. speechStart
// writes why it cannot speak (no voice, no sound device) and returns false.
bool speechStart(const char* language, char* why, int size);
// A phrase synthesized ahead of its turn; the number that names it.
int speechPrepare(const char* text);
// Its turn: it plays once the sound playing now has ended, unless another
// sound starts first. POIGUARD_SOUND_TRACE shows it as it starts:
// "(speech: text)".
void speechPlay(int phrase);
// Not to be said after all.
void speechForget(int phrase);

// Wall clock in whole seconds, and its local calendar form.
std::time_t clockNow();
std::tm localClock(std::time_t t);

// The fixed absolute path of the POI list that start-up tries first.
const char* builtinPoiPath();

// For a missing config.txt: where the program looked, and a commented
// example that exists here (installed, or in the source tree it was built
// from; nullptr when there is none).
const char* workingDirectory();
const char* exampleConfig();

// Where to make the POI list when none was found: the built-in path when its
// folder exists here, else poiFile as this system spells it.
const char* poiListToMake(const char* poiFile);

// For poiguard-import-pois, whose build links only these and files.cpp.
//
// POSTs BODY (application/x-www-form-urlencoded) to URL and streams the
// answer into the file TO: the system's own HTTP (libcurl, WinHTTP), a User-Agent,
// 30 s to connect and timeoutSeconds in all, a progress line on standard
// error when asked. status is the HTTP status, or 0 when no answer came,
// with failure saying why in the system's words and failed what failed.
struct HttpAnswer {
    int status = 0;
    long retryAfter = -1;  // seconds the Retry-After header asks for; -1 without one
    enum Failure { kNone, kResolve, kConnect, kTimeout, kOther } failed = kNone;
    char failure[256] = "";
};
HttpAnswer httpPost(const char* url, const char* body, const char* userAgent, long timeoutSeconds, const char* to,
                    bool progress);

// Replaces the file PATH by TEXT so that a power cut at any moment leaves
// the old file or the new one, whole: a temporary file in its folder,
// flushed to the disk, renamed over it (the folder flushed after it); a file
// it replaces keeps its mode and owner. False with the system's words in why.
bool replaceFile(const char* path, const char* text, size_t size, char* why, size_t whySize);

// Runs PROGRAM with its arguments, its standard output and error into the
// files named; its exit status, or -1 when it is not on the PATH.
int runProgram(const char* const* arguments, const char* output, const char* errors);

// Whether standard error is a terminal (a person watching).
bool onTerminal();
void pauseSeconds(int seconds);
// A folder of its own for the import's files, removed by removeFolder.
bool makeWorkFolder(char* path, size_t size);
void removeFolder(const char* path);

// The weekly download: registered with the system's scheduler under NAME
// from its definition (the Task Scheduler's XML), or removed; false with
// what to do in why. Where there is no such scheduler (Linux keeps the list
// current through the package's timer) it says so.
bool registerWeeklyTask(const char* name, const char* definition, char* why, size_t whySize);
bool removeWeeklyTask(const char* name, char* why, size_t whySize);
// The running user, as the scheduler names a task's user (DOMAIN\user).
const char* taskUser();
// The path of the running program.
const char* programPath();

#if defined(__GNUC__)
#define PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define PRINTF_LIKE(fmt, args)
#endif
