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

#if defined(__GNUC__)
#define PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define PRINTF_LIKE(fmt, args)
#endif
