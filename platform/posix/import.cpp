// What poiguard-import-pois needs of a POSIX system besides its download.
#include <fcntl.h>
#include <ftw.h>
#include <libgen.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../seam.h"

namespace {

bool said(char* why, size_t size, const std::string& text)
{
    snprintf(why, size, "%s", text.c_str());
    return false;
}

}  // namespace

bool replaceFile(const char* path, const char* text, size_t size, char* why, size_t whySize)
{
    // The file a link points to is the one replaced.
    char resolved[PATH_MAX];
    std::string target = realpath(path, resolved) ? resolved : path;
    std::string folder = target.substr(0, target.rfind('/') == std::string::npos ? 0 : target.rfind('/'));
    if (target.find('/') == std::string::npos) folder = ".";
    else if (folder.empty()) folder = "/";
    std::string temporary = folder + "/.import-pois.XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) return said(why, whySize, strerror(errno));
    struct stat old;
    bool ok;
    if (stat(target.c_str(), &old) == 0) {
        ok = fchmod(fd, old.st_mode & 07777) == 0;
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not ours to give away: the mode is kept, the owner is who wrote it.
        }
    } else {
        mode_t mask = umask(0);
        umask(mask);
        ok = fchmod(fd, 0666 & ~mask) == 0;
    }
    for (size_t done = 0; ok && done < size;) {
        ssize_t n = write(fd, text + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    int error = errno;
    ok = ok && fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) {
        error = errno ? errno : error;
        unlink(temporary.c_str());
        return said(why, whySize, strerror(error));
    }
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

int runProgram(const char* const* arguments, const char* output, const char* errors)
{
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0600), err = open(errors, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        execvp(arguments[0], const_cast<char* const*>(arguments));
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status)) return 128;
    return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

bool onTerminal() { return isatty(2); }

void pauseSeconds(int seconds)
{
    for (unsigned left = static_cast<unsigned>(seconds); left > 0;) left = sleep(left);
}

bool makeWorkFolder(char* path, size_t size)
{
    const char* tmp = getenv("TMPDIR");
    snprintf(path, size, "%s/import-pois.XXXXXX", tmp && *tmp ? tmp : "/tmp");
    return mkdtemp(path) != nullptr;
}

void removeFolder(const char* path)
{
    nftw(path, [](const char* file, const struct stat*, int, struct FTW*) { return remove(file); }, 16,
         FTW_DEPTH | FTW_PHYS);
}

bool registerWeeklyTask(const char*, const char*, char* why, size_t whySize)
{
    return said(why, whySize,
                "--weekly is for Windows' Task Scheduler; here the package's timer keeps the list current: set AREA "
                "in /etc/poiguard/update.conf, then systemctl enable --now poiguard-update.timer");
}

bool removeWeeklyTask(const char* name, char* why, size_t whySize) { return registerWeeklyTask(name, "", why, whySize); }

const char* taskUser()
{
    const passwd* user = getpwuid(geteuid());
    return user ? user->pw_name : "";
}

const char* programPath()
{
    static char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    path[n > 0 ? n : 0] = '\0';
    return path;
}
