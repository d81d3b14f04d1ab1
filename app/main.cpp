#include <cstdio>
#include <cstring>

#include "app/poiguard.h"

namespace {

const char* const kUsage =
    "Usage: poiguard [--help | --version]\n"
    "Warns with sounds when the GPS position comes near a point of interest.\n"
    "Reads config.txt in the working directory (startProgram=true and comPort at least),\n"
    "the POI list vodudo/gefahr.csv there (or the built-in list), and an NMEA receiver on\n"
    "the port comPort names: a device path (/dev/ttyACM0), or N or COM<N> for COM<N>: a link\n"
    "of that name in the working directory, else /dev/ttyS<N-1>; or gpsd=HOST[:PORT] for gpsd.\n"
    "Runs until it is stopped. Exit status when it stops by itself: 0 for startProgram=false,\n"
    "65 no POI, 66 no config.txt, 78 a setting refused or no comPort.\n";

}  // namespace

int main(int argc, char** argv)
{
    // Anything else on the command line is ignored, as it always was.
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0) return fputs(kUsage, stdout) < 0;
        if (strcmp(argv[i], "--version") == 0) return printf("poiguard %s\n", POIGUARD_VERSION) < 0;
    }
    // The log lives as long as the process; its file is never closed, so
    // every line written is already on disk when the process is killed.
    static Log* log = new Log;
    CPoiGuard guard;
    return guard.run(log);
}
