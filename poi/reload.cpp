#include "reload.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform.h"

namespace {

constexpr int kIdle = 0;
constexpr int kReading = 1;
constexpr int kRead = 2;


// The same camera: its place, the way it checks and its name. Two cameras on
// one pole differ in their way, and must not swap what has sounded.
bool sameCamera(const Poi& a, const Poi& b)
{
    return a.length == b.length && a.wide == b.wide && a.heading == b.heading && a.bothWays == b.bothWays &&
           strcmp(a.name, b.name) == 0;
}

}  // namespace

void PoiReload::watch(const char* path)
{
    snprintf(file, sizeof file, "%s", path);
    version = seen = fileVersion(file);
}

namespace {

bool endsWithLineEnd(const char* path)
{
    FILE* f = openFile(path, "rb");
    if (!f) return true;
    bool complete = fseek(f, -1, SEEK_END) != 0 || fgetc(f) == '\n';
    fclose(f);
    return complete;
}

}  // namespace

bool PoiReload::changeSettled(int now)
{
    if (!file[0] || now == lastLook) return false;
    lastLook = now;
    long long v = fileVersion(file);
    if (v != seen) {
        seen = v;
        seenSince = now;
        seenComplete = endsWithLineEnd(file);
    }
    return v != version && now - seenSince >= (seenComplete ? kSettleSeconds : kSettleCutSeconds);
}

bool PoiReload::start()
{
    if (state.load() != kIdle) return false;
    version = fileVersion(file);  // a change during the reading is a change after it
    state = kReading;
    _beginthread(readIn, 0, this);
    return true;
}

void PoiReload::readIn(void* self)
{
    auto* reload = static_cast<PoiReload*>(self);
    reload->result = readPoiFile(reload->file, nullptr);
    reload->state.store(kRead, std::memory_order_release);
}

bool PoiReload::finished(PoiFile& read)
{
    if (state.load(std::memory_order_acquire) != kRead) return false;
    read = result;
    state = kIdle;
    return true;
}

// Only the POIs that have sounded carry anything: usually a handful, so the
// new block is scanned once for each of them.
int keepLatches(const Poi* old, int oldCount, Poi* fresh, int freshCount)
{
    std::vector<const Poi*> sounded;
    for (int i = 0; i < oldCount; ++i)
        if (latched(old[i])) sounded.push_back(&old[i]);
    int kept = 0;
    for (int i = 0; i < freshCount && !sounded.empty(); ++i)
        for (size_t k = 0; k < sounded.size(); ++k) {
            const Poi& o = *sounded[k];
            if (!sameCamera(o, fresh[i])) continue;
            fresh[i].alarm1Fired = o.alarm1Fired;
            fresh[i].alarm2Fired = o.alarm2Fired;
            fresh[i].alarm4Fired = o.alarm4Fired;
            fresh[i].latchRadius = o.latchRadius;
            ++kept;
            sounded.erase(sounded.begin() + static_cast<long>(k));
            break;
        }
    return kept;
}
