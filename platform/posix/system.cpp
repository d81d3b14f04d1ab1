// Clock, pauses and threads on POSIX systems.
#include <pthread.h>
#include <pwd.h>
#include <sys/stat.h>
#include <signal.h>
#include <time.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform.h"

namespace {

struct ThreadStart {
    void (*procedure)(void*);
    void* argument;
};

void* threadMain(void* raw)
{
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    start.procedure(start.argument);
    return nullptr;
}

volatile sig_atomic_t reloadSignalled = 0;

void noteReload(int) { reloadSignalled = 1; }

}  // namespace

void catchReloadSignal()
{
    struct sigaction action {};
    action.sa_handler = noteReload;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

bool reloadRequested()
{
    if (!reloadSignalled) return false;
    reloadSignalled = 0;
    return true;
}

std::time_t clockNow() { return std::time(nullptr); }

std::tm localClock(std::time_t t)
{
    std::tm result{};
    localtime_r(&t, &result);
    return result;
}

const char* builtinPoiPath() { return POIGUARD_BUILTIN_POI; }  // set by the build

namespace {

bool folderOfExists(const std::string& file)
{
    size_t slash = file.rfind('/');
    std::string folder = slash == std::string::npos ? "." : file.substr(0, slash ? slash : 1);
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

const char* workingDirectory()
{
    static char folder[4096];
    return getcwd(folder, sizeof folder) ? folder : ".";
}

// The package's and cmake --install's, else the source tree's.
const char* exampleConfig()
{
    for (const char* example : {POIGUARD_SYSCONFDIR "/config.txt", POIGUARD_SOURCE_DIR "/packaging/config.txt"})
        if (access(example, R_OK) == 0) return example;
    return nullptr;
}

const char* poiListToMake(const char* poiFile)
{
    static std::string path;
    path = poiFile;
    for (char& c : path)
        if (c == '\\') c = '/';
    if (folderOfExists(POIGUARD_BUILTIN_POI)) path = POIGUARD_BUILTIN_POI;
    return path.c_str();
}

void Sleep(DWORD milliseconds)
{
    timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) == -1 && errno == EINTR) {
    }
}

// CLOCK_BOOTTIME, not CLOCK_MONOTONIC: it goes on during a suspend, as the
// Windows call does.
ULONGLONG GetTickCount64()
{
    timespec t;
    clock_gettime(CLOCK_BOOTTIME, &t);
    return static_cast<ULONGLONG>(t.tv_sec) * 1000 + static_cast<ULONGLONG>(t.tv_nsec / 1000000);
}

extern "C" uintptr_t _beginthread(void (*procedure)(void*), unsigned stackSize, void* argument)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize) pthread_attr_setstacksize(&attr, stackSize);
    pthread_t thread;
    auto* start = new ThreadStart{procedure, argument};
    int rc = pthread_create(&thread, &attr, threadMain, start);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete start;
        return static_cast<uintptr_t>(-1);
    }
    return static_cast<uintptr_t>(thread);
}
bool readsGpsd() { return true; }

const char* userName()
{
    static char name[64];
    const passwd* user = getpwuid(geteuid());
    if (user) snprintf(name, sizeof name, "%s", user->pw_name);
    else snprintf(name, sizeof name, "uid %u", static_cast<unsigned>(geteuid()));
    return name;
}

const char* importCommand()
{
    const char* built = POIGUARD_BINARY_DIR "/poiguard-import-pois";
    return folderOfExists(POIGUARD_BUILTIN_POI) || access(built, X_OK) != 0 ? "poiguard-import-pois" : built;
}
