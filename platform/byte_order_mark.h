// The UTF-8 byte-order mark that Excel and Windows editors write first in a
// text file, for every reader that skips it: the program's own
// (platform/text_files.cpp), poiguard-report's and the importer's.
#pragma once

#include <cstddef>
#include <cstring>

// How many bytes at the start of a file's first bytes are the mark: 3 or 0.
inline size_t byteOrderMarkIn(const char* start, size_t size)
{
    return size >= 3 && std::memcmp(start, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
}
