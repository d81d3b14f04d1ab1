// The RMC parser on any text, starting from no position and from one.
#include <cstring>
#include <vector>

#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CPoiGuard guard;
    guard.log = quietLog();
    givePoiList(guard);
    std::vector<char> sentence(data, data + size);
    sentence.push_back('\0');
    guard.lastPosLength = (size & 1) ? 8.8 : 0.0;
    guard.lastPosWide = (size & 1) ? 53.07 : 0.0;
    guard.position.known = size & 1;
    guard.parseSentence(sentence.data());
    return 0;
}
