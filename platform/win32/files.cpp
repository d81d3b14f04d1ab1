// Files on Windows: text mode already ends lines the way the program expects.
#include "../seam.h"

FILE* openFile(const char* path, const char* mode) { return skipByteOrderMark(fopen(path, mode), mode); }

char* readTextLine(char* buffer, int size, FILE* file) { return fgets(buffer, size, file); }
