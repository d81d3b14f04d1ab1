// The config.txt reader on any file.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CPoiGuard guard;
    guard.log = quietLog();
    guard.readConfig(inputFile(data, size).c_str());
    return 0;
}
