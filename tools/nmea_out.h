#pragma once

#include <cstdio>
#include <string>

// "$" + body + "*hh" + CR LF, hh the XOR of the body's bytes: a sentence as
// a receiver sends it.
inline std::string withChecksum(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}
