#include "line_speed.h"

#include "gps/rmc.h"
#include "serial.h"

namespace {

constexpr int kByteSize = 8;
constexpr int kStopBits = ONESTOPBIT;
constexpr int kParity = NOPARITY;

int nextHunted(int baud)
{
    constexpr int count = sizeof kReceiverSpeeds / sizeof kReceiverSpeeds[0];
    for (int i = 0; i < count - 1; ++i)
        if (kReceiverSpeeds[i] == baud) return kReceiverSpeeds[i + 1];
    return kReceiverSpeeds[0];
}

}  // namespace

void LineSpeed::configure(int baudRate)
{
    configured = baudRate != 0;
    automatic = baudRate == kAutoBaud;
    baud = automatic ? kReceiverSpeeds[0] : baudRate;
}

bool LineSpeed::trySpeed(CSerial& serial, Log* log, int now)
{
    trialStart = now;
    logMessage(log, "baudRate=auto: trying %d baud\n", baud);
    return serial.changeParams(baud, kByteSize, kStopBits, kParity) == 1;
}

bool LineSpeed::start(CSerial& serial, Log* log, int now)
{
    if (automatic) {
        trying = true;
        return trySpeed(serial, log, now);  // the speed found last time first
    }
    if (baud == 0 || baud == kLineBaudRate) return true;
    return serial.changeParams(baud, kByteSize, kStopBits, kParity) == 1;
}

void LineSpeed::heard(const char* sentence, Log* log)
{
    if (!trying || !checksumMatches(sentence)) return;
    trying = false;
    logMessage(log, "baudRate=auto: the receiver sends at %d baud\n", baud);
}

bool LineSpeed::tick(CSerial& serial, Log* log, int now)
{
    if (!trying || now - trialStart <= kTrialSeconds) return true;
    baud = nextHunted(baud);
    return trySpeed(serial, log, now);
}
