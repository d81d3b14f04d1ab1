// Files on Windows: text mode already ends lines the way the program expects.
#include <io.h>

#include "platform.h"

FILE* openFile(const char* path, const char* mode) { return skipByteOrderMark(fopen(path, mode), mode); }

char* readTextLine(char* buffer, int size, FILE* file) { return fgets(buffer, size, file); }

void syncFile(FILE* file)
{
    if (!file) return;
    fflush(file);
    _commit(_fileno(file));
}

// The time of the last write counts in 100 ns; _stat's whole seconds would
// miss a list replaced by one of the same size within the second.
long long fileVersion(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    long long written = (static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
    return written ^ (static_cast<long long>(data.nFileSizeLow) << 40);
}
