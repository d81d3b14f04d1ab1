// What every platform does alike with the text files the program reads.
#include "seam.h"

#include "byte_order_mark.h"

FILE* skipByteOrderMark(FILE* file, const char* mode)
{
    if (!file || mode[0] != 'r') return file;
    char head[3];
    if (byteOrderMarkIn(head, fread(head, 1, sizeof head, file)) == 0) rewind(file);
    return file;
}
