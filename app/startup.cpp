// Start-up: settings, banners, the checks that refuse to run, the POI list.
#include <cstdlib>
#include <cstring>

#include "app/poiguard.h"
#include "serial/serial.h"

namespace {

const char* const kStars = "*****************************************************************\n";
constexpr int kMaxLogKeepDays = 3650;

// Whole days, 1 to kMaxLogKeepDays; -1 for anything else.
int keepDays(const char* text)
{
    if (strspn(text, "0123456789") != strlen(text) || strlen(text) > 4) return -1;
    int days = atoi(text);
    return days >= 1 && days <= kMaxLogKeepDays ? days : -1;
}

bool isSwitch(const char* text) { return strcmp(text, "true") == 0 || strcmp(text, "false") == 0; }

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
    else if (!lineSpeed.valid())
        logMessage(log, "ERROR baudRate=%s: give 4800, 9600, 19200, 38400, 57600, 115200 or auto\n", baudRate);
    else if (rules.aheadOnly < 0)
        logMessage(log, "ERROR warnAheadOnly=%s: give true or false\n", warnAheadOnly);
    else if (rules.seconds < 0)
        logMessage(log, "ERROR warnSeconds=%s: give whole seconds from 1 to %d\n", warnSeconds, kMaxWarnSeconds);
    else if (rules.checkDirections < 0)
        logMessage(log, "ERROR checkDirections=%s: give true or false\n", checkDirections);
    else if (rules.overLimitOnly < 0)
        logMessage(log, "ERROR warnOverLimitOnly=%s: give true or false\n", warnOverLimitOnly);
    else if (logKeepDays[0] && keepDays(logKeepDays) < 0)
        logMessage(log, "ERROR logKeepDays=%s: give whole days from 1 to %d\n", logKeepDays, kMaxLogKeepDays);
    else if (quietConsole[0] && !isSwitch(quietConsole))
        logMessage(log, "ERROR quietConsole=%s: give true or false\n", quietConsole);
    else
        return true;
    return false;
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
    if (baudRate[0]) logMessage(log, "baudRate=%s\n", baudRate);
    if (warnAheadOnly[0]) logMessage(log, "warnAheadOnly=%s\n", warnAheadOnly);
    if (warnSeconds[0]) logMessage(log, "warnSeconds=%s\n", warnSeconds);
    if (checkDirections[0]) logMessage(log, "checkDirections=%s\n", checkDirections);
    if (warnOverLimitOnly[0]) logMessage(log, "warnOverLimitOnly=%s\n", warnOverLimitOnly);
    if (logKeepDays[0]) logMessage(log, "logKeepDays=%s\n", logKeepDays);
    if (quietConsole[0]) logMessage(log, "quietConsole=%s\n", quietConsole);
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

    if (logKeepDays[0]) log->setKeepDays(keepDays(logKeepDays));
    log->setQuietConsole(strcmp(quietConsole, "true") == 0);

    loadPoiList(builtinPoiPath());
    if (poiCount == 0) loadPoiList(poiFile);
    if (poiCount == 0) {
        log->print("ERROR, PoiList in folder vodudo is also empty\n");
        if (importCommand())
            logMessage(log, "    %s %s INPUT... makes one from a GPX, KML or OV2 file, a camera database or "
                            "OpenStreetMap; or write one: longitude, latitude, name a line\n",
                       importCommand(), builtinPoiPath());
        else
            logMessage(log, "    Write one into %s: longitude, latitude, name a line\n", builtinPoiPath());
        printExitBanner();
        return kExitNoPois;
    }

    receiveLoop(serial, portNumber);  // never returns
    return 0;
}
