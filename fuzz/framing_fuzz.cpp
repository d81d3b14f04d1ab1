// The receive loop's byte filter and framing on any stream, with the echo on
// and everything behind it: parser, ordering, proximity check.
#include <cstring>

#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CPoiGuard guard;
    static ReceiveState st;
    guard.log = quietLog();
    guard.setDefaults();
    guard.fullOutput = 1;
    givePoiList(guard);
    memset(&st, 0, sizeof st);
    guard.takeBytes(st, reinterpret_cast<const char*>(data), static_cast<int>(size));
    guard.takeBytes(st, "$", 1);
    return 0;
}
