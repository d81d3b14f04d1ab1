// What every platform does alike with the text files the program reads.
#include "seam.h"

#include <cstring>

FILE* skipByteOrderMark(FILE* file, const char* mode)
{
    if (!file || mode[0] != 'r') return file;
    unsigned char head[3];
    if (fread(head, 1, sizeof head, file) != sizeof head || memcmp(head, "\xEF\xBB\xBF", sizeof head) != 0) rewind(file);
    return file;
}
