#include "app/poiguard.h"

int main()
{
    // The log lives as long as the process; its file is never closed, so
    // every line written is already on disk when the process is killed.
    static Log* log = new Log;
    CPoiGuard guard;
    guard.run(log);
    return 0;
}
