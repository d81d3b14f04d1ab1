// Files and folders on POSIX systems.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "../seam.h"
#include "native_path.h"

// The program writes Windows paths; a backslash separates folders here too.
std::string nativePath(const char* path)
{
    std::string p(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

long long fileVersion(const char* path)
{
    struct stat st;
    if (stat(nativePath(path).c_str(), &st) != 0) return -1;
    long long stamp = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return stamp ^ (static_cast<long long>(st.st_size) << 20) ^ (static_cast<long long>(st.st_ino) << 40);
}

extern "C" int _mkdir(const char* path) { return mkdir(nativePath(path).c_str(), 0777); }

FILE* openFile(const char* path, const char* mode)
{
    return skipByteOrderMark(fopen(nativePath(path).c_str(), mode), mode);
}

void syncFile(FILE* file)
{
    if (!file) return;
    fflush(file);
    fsync(fileno(file));
}

char* readTextLine(char* buffer, int size, FILE* file)
{
    if (!fgets(buffer, size, file)) return nullptr;
    size_t n = strlen(buffer);
    if (n >= 2 && buffer[n - 2] == '\r' && buffer[n - 1] == '\n') {
        buffer[n - 2] = '\n';
        buffer[n - 1] = '\0';
    } else if (n >= 1 && buffer[n - 1] == '\r') {
        // The piece ended between CR and LF: take the pair as one line end.
        int next = getc(file);
        if (next == '\n')
            buffer[n - 1] = '\n';
        else if (next != EOF)
            ungetc(next, file);
    }
    return buffer;
}
