// The receiver's line speed. Without a baudRate key in config.txt the port
// runs at 38400 baud as it always has. baudRate=N runs it at N; baudRate=auto
// tries the usual receiver speeds in turn until sentences with a correct
// checksum arrive, stays there, and hunts again on a later connection that
// hears nothing readable at that speed.
#pragma once

#include "config/settings.h"
#include "log/log.h"

class CSerial;

// Whole seconds of the clock a speed is given to show a sentence.
constexpr int kTrialSeconds = 2;

class LineSpeed {
public:
    // From config.txt's baudRate: 0 while not given, kAutoBaud, or one of
    // kReceiverSpeeds.
    void configure(int baudRate);
    bool given() const { return configured; }

    // A new connection: sets the speed when one was given, and starts a trial
    // in auto mode. False when the port refuses the speed.
    bool start(CSerial& serial, Log* log, int now);
    // A sentence was handed over: in a trial, one with a correct checksum
    // settles the speed.
    void heard(const char* sentence, Log* log);
    // After each read: a trial that heard nothing moves on to the next
    // speed. False when the port refuses it.
    bool tick(CSerial& serial, Log* log, int now);

private:
    bool trySpeed(CSerial& serial, Log* log, int now);

    bool configured = false;
    bool automatic = false;
    int baud = 0;        // the speed given, or in auto mode the one tried or found
    bool trying = false;  // auto mode, nothing readable heard yet on this connection
    int trialStart = 0;
};
