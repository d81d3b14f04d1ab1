// The POI loader on any file, then ordering and the proximity check on what
// it loaded.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CPoiGuard guard;
    guard.log = quietLog();
    guard.loadPoiList(inputFile(data, size).c_str());
    guard.lastPosLength = 8.8;
    guard.lastPosWide = 53.07;
    guard.position.known = true;
    guard.sortPoiList();
    guard.checkAlarms(guard.lastPosLength, guard.lastPosWide);
    return 0;
}
