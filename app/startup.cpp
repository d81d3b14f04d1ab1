// Start-up: settings, banners, the checks that refuse to run, the POI list.
#include <cstring>
#include <memory>

#include "app/poiguard.h"
#include "serial/source.h"

namespace {

const char* const kStars = "*****************************************************************\n";

}  // namespace

int getTimeOfDay()
{
    std::tm t = localClock(clockNow());
    return t.tm_hour * 10000 + t.tm_min * 100 + t.tm_sec;
}

void CPoiGuard::printStartBanner()
{
    log->print(kStars);
    int timeOfDay = getTimeOfDay();
    logMessage(log, "Programm started at %d %d\n", getDate(), timeOfDay);
}

void CPoiGuard::printExitBanner()
{
    int timeOfDay = getTimeOfDay();
    logMessage(log, "Programm exited at %d %d\n", getDate(), timeOfDay);
    log->print(kStars);
}

// config.txt into the settings, and what reading could not take said line
// by line; the records that follow the settings configured from them.
int CPoiGuard::readConfig(const char* path)
{
    ConfigRead read = readSettings(path, settings);
    if (!read.opened) {
        const char* why = strerror(read.error);
        logMessage(log, "ERROR, while reading %s\n", path);
        if (exampleConfig())
            logMessage(log, "    %s in %s (the working directory): %s; start the program in the folder of your "
                            "config.txt, or copy the commented example %s there\n",
                       path, workingDirectory(), why, exampleConfig());
        else
            logMessage(log, "    %s in %s (the working directory): %s; write one there: key=value a line, "
                            "startProgram=true and comPort at least\n",
                       path, workingDirectory(), why);
        return 1;
    }
    for (const ConfigNote& note : read.notes) {
        if (!note.said.empty()) log->print(note.said.c_str());
        if (!note.hint.empty()) log->print(note.hint.c_str());
    }
    rules.aheadOnly = settings.warnAheadOnly;
    rules.seconds = settings.warnSeconds;
    rules.checkDirections = settings.checkDirections;
    rules.overLimitOnly = settings.warnOverLimitOnly;
    coast.configure(settings.coastSeconds);
    return 0;
}

// Every setting, as the table orders them: the original ten always, a
// later key only when given, as written.
void CPoiGuard::showSettings()
{
    for (int id = 0; id < kSettingCount; ++id) {
        const Setting& row = kSettings[id];
        if (!row.original) {
            if (settings.written[id][0]) logMessage(log, "%s=%s%s\n", row.name, settings.written[id], row.shown);
        } else if (row.kind == Setting::kNumber) {
            logMessage(log, "%s=%f\n", row.name, settings.*row.number);
        } else if (row.kind == Setting::kText || (row.kind == Setting::kPort && settings.comDevice[0])) {
            logMessage(log, "%s=%s\n", row.name, row.kind == Setting::kText ? settings.*row.text : settings.comDevice);
        } else {
            logMessage(log, "%s=%d\n", row.name, settings.*row.whole);
        }
    }
}

// The checks that refuse to run, in their order; the first that fails
// stops start-up with its status (the exit banner follows).
int CPoiGuard::checkSettings()
{
    const Settings& s = settings;
    // Written as "not >=" so that a radius that is not a number also stops.
    if (!(s.treshold_enableAlarm_1 >= s.treshold_enableAlarm_2)) {
        log->print("ERROR treshold_enableAlarm_1<treshold_enableAlarm_2 !!! Are you sure???\n");
        return kExitBadConfig;
    }
    if (!(s.treshold_enableAlarm_2 >= s.treshold_enableAlarm_4)) {
        log->print("ERROR treshold_enableAlarm_2<treshold_enableAlarm_4!!! Are you sure???\n");
        return kExitBadConfig;
    }
    for (int id = 0; id < kSettingCount; ++id) {
        if (!s.refused[id]) continue;
        logMessage(log, "ERROR %s=%s: %s\n", kSettings[id].name, s.written[id], s.refused[id]);
        return kExitBadConfig;
    }
    if (s.startProgram == 0) {
        log->print("To start programm set startProgram=true\n");
        return kExitNotStarted;
    }
    if (s.comPort < 0 && !s.gpsd[0]) {
        log->print("Forgot to specify comPort\n");
        return kExitBadConfig;
    }
    return kStarted;
}

// The built-in list, else poiFile; when neither gives a POI, how to make one.
int CPoiGuard::loadList()
{
    loadPoiList(builtinPoiPath());
    if (poiCount == 0) loadPoiList(settings.poiFile);
    if (poiCount > 0) return kStarted;
    log->print("ERROR, PoiList in folder vodudo is also empty\n");
    if (importCommand())
        logMessage(log, "    %s %s INPUT... makes one: INPUT osm:DE for a country's cameras from "
                        "OpenStreetMap, or a GPX, KML or OV2 file or a camera database; or write one: "
                        "longitude, latitude, name a line\n",
                   importCommand(), poiListToMake(settings.poiFile));
    else
        logMessage(log, "    Write one into %s: longitude, latitude, name a line\n", poiListToMake(settings.poiFile));
    return kExitNoPois;
}

int CPoiGuard::start(NmeaSource*& source)
{
    if (readConfig("config.txt") != 0) return kExitNoConfig;
    log->setWriteLogFile(settings.writeLogFile);
    printStartBanner();
    source = chooseSource(settings);
    source->setLog(log);
    showSettings();
    int status = checkSettings();
    if (status != kStarted) return status;

    if (settings.logKeepDays) log->setKeepDays(settings.logKeepDays);
    log->setQuietConsole(settings.quietConsole);
    if (settings.trackLog) track.start(settings.logKeepDays);
    std::string why;
    if (settings.speech[0] && !speaker.start(settings.speech, why))
        logMessage(log, "Speech off: %s; the warnings sound as without it\n", why.c_str());
    return loadList();
}

int CPoiGuard::run(Log* theLog, int connections)
{
    // From the first moment: a reload asked for while a long list loads
    // (systemctl reload right after a start) must not end the program.
    catchReloadSignal();
    log = theLog;
    NmeaSource* chosen = nullptr;
    int status = start(chosen);
    std::unique_ptr<NmeaSource> source(chosen);
    if (status == kStarted) receiveLoop(*source, connections);  // for ever in the program
    printExitBanner();
    return status;
}
