// Start-up: settings, banners, the checks that refuse to run, the POI list.
#include <cstdlib>
#include <cstring>

#include "app/poiguard.h"
#include "serial/serial.h"

namespace {

const char* const kStars = "*****************************************************************\n";

// HOST or HOST:PORT; an IPv6 address in brackets when it has a port.
bool isGpsdAddress(const char* text)
{
    const char* colon = strrchr(text, ':');
    bool hasPort = colon && colon != text && strchr(text, ':') == colon;
    if (text[0] == '[') hasPort = colon && colon[-1] == ']';
    if (!hasPort) return text[0] && text[0] != ':';
    return colon[1] && strspn(colon + 1, "0123456789") == strlen(colon + 1) && atoi(colon + 1) >= 1 &&
           atoi(colon + 1) <= 65535;
}

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

// The settings added after the original ten, each checked only when given.
bool CPoiGuard::laterSettingsValid()
{
    if (gpsd[0] && !readsGpsd())
        logMessage(log, "ERROR gpsd=%s: this program reads no gpsd (there is none on Windows); give comPort instead\n",
                   gpsd);
    else if (gpsd[0] && !isGpsdAddress(gpsd))
        logMessage(log, "ERROR gpsd=%s: give HOST or HOST:PORT, for instance gpsd=localhost\n", gpsd);
    else if (comDevice[0] && !isDevicePath(comDevice))
        logMessage(log, "ERROR comPort=%s: give the port's number (3), its Windows name (COM3) or a device path "
                        "(/dev/ttyACM0)\n", comDevice);
    else
        return laterKeysValid();
    return false;
}

// Each later key whose value was refused stops start-up, the first with its line.
bool CPoiGuard::laterKeysValid()
{
    for (int id = 0; id < kLaterKeyCount; ++id) {
        if (!refused[id]) continue;
        char allowed[128];
        describeAllowed(kLaterKeys[id], allowed, sizeof allowed);
        logMessage(log, "ERROR %s=%s: %s\n", kLaterKeys[id].name, written[id], allowed);
        return false;
    }
    return true;
}

int CPoiGuard::run(Log* theLog)
{
    // From the first moment: a reload asked for while a long list loads
    // (systemctl reload right after a start) must not end the program.
    catchReloadSignal();
    CSerial serial;
    log = theLog;
    if (readConfig("config.txt") != 0) {
        printExitBanner();
        return kExitNoConfig;
    }
    log->setWriteLogFile(writeLogFile);
    printStartBanner();
    serial.setLog(log);
    int portNumber = comPort;

    logMessage(log, "startProgram=%d\n", startProgram);
    if (comDevice[0])
        logMessage(log, "comPort=%s\n", comDevice);
    else
        logMessage(log, "comPort=%d\n", portNumber);
    logMessage(log, "treshold_enableAlarm_1=%f\n", treshold_enableAlarm_1);
    logMessage(log, "treshold_enableAlarm_2=%f\n", treshold_enableAlarm_2);
    logMessage(log, "treshold_enableAlarm_4=%f\n", treshold_enableAlarm_4);
    logMessage(log, "fullOutput=%d\n", fullOutput);
    logMessage(log, "updateInterval=%d\n", updateInterval);
    logMessage(log, "maxTimeNoData=%d\n", maxTimeNoData);
    logMessage(log, "poiFile=%s\n", poiFile);
    logMessage(log, "writeLogFile=%d\n", writeLogFile);
    for (int id = 0; id < kLaterKeyCount; ++id)
        if (written[id][0]) logMessage(log, "%s=%s\n", kLaterKeys[id].name, written[id]);
    if (gpsd[0]) logMessage(log, "gpsd=%s: positions from gpsd, not from a serial port\n", gpsd);

    // Written as "not >=" so that a radius that is not a number also stops.
    if (!(treshold_enableAlarm_1 >= treshold_enableAlarm_2)) {
        log->print("ERROR treshold_enableAlarm_1<treshold_enableAlarm_2 !!! Are you sure???\n");
        printExitBanner();
        return kExitBadConfig;
    }
    if (!(treshold_enableAlarm_2 >= treshold_enableAlarm_4)) {
        log->print("ERROR treshold_enableAlarm_2<treshold_enableAlarm_4!!! Are you sure???\n");
        printExitBanner();
        return kExitBadConfig;
    }
    if (!laterSettingsValid()) {
        printExitBanner();
        return kExitBadConfig;
    }
    if (startProgram == 0) {
        log->print("To start programm set startProgram=true\n");
        printExitBanner();
        return kExitNotStarted;
    }
    if (portNumber < 0 && !gpsd[0]) {
        log->print("Forgot to specify comPort\n");
        printExitBanner();
        return kExitBadConfig;
    }

    if (logKeepDays) log->setKeepDays(logKeepDays);
    log->setQuietConsole(quietConsole);
    if (trackLog) track.start(logKeepDays);

    loadPoiList(builtinPoiPath());
    if (poiCount == 0) loadPoiList(poiFile);
    if (poiCount == 0) {
        log->print("ERROR, PoiList in folder vodudo is also empty\n");
        if (importCommand())
            logMessage(log, "    %s %s INPUT... makes one: INPUT osm:DE for a country's cameras from "
                            "OpenStreetMap, or a GPX, KML or OV2 file or a camera database; or write one: "
                            "longitude, latitude, name a line\n",
                       importCommand(), builtinPoiPath());
        else
            logMessage(log, "    Write one into %s: longitude, latitude, name a line\n", builtinPoiPath());
        printExitBanner();
        return kExitNoPois;
    }

    receiveLoop(serial, portNumber);  // never returns
    return 0;
}
