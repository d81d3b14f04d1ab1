// RMC, the receiver's recommended minimum sentence, from any talker:
//
//   $GNRMC,123519.00,A,4807.038,N,01131.000,W,22.4,84.4,230394,3.1,W,A*hh
//          time      |  lat     |  lon      | speed course date magnetic mode
//                    status     N/S         E/W  knots degrees      variation
//
// The mode letter (NMEA 2.3 and later) says how the fix was made; N means
// the data are not valid, as status V does.
#pragma once

constexpr int kRmcFieldSize = 64;  // longest field, terminating NUL included
constexpr double kKmhPerKnot = 1.852;

struct RmcFix {
    char talker[3];  // "GP", "GN", "IN", ...
    char time[kRmcFieldSize];
    char date[kRmcFieldSize];        // ddmmyy, empty when the receiver left it out
    char wideText[kRmcFieldSize];    // latitude as sent, ddmm.mmmm
    char lengthText[kRmcFieldSize];  // longitude as sent, dddmm.mmmm
    double wide;                     // decimal degrees, south negative
    double length;                   // decimal degrees, west negative
    double kmh;                      // speed over ground (sent in knots); -1 when the field is empty
    double course;                   // course over ground, degrees true; -1 when empty
};

// "$", a talker of two capital letters, "RMC". Proprietary sentences ("$P...")
// are not RMC even when the letters fit: Garmin's $PGRMC is a configuration
// sentence whose fields would read as a wild position.
bool isRmcName(const char* sentence);

// The two hex digits after the first '*' are the XOR of every byte between
// '$' and that '*'.
bool checksumMatches(const char* sentence);

// A token of digits and points only, at least one character.
bool isNumber(const char* token);

// ddmm.mmmm (or dddmm.mmmm) to decimal degrees.
double nmeaToDegrees(const char* token);

// Reads an RMC sentence whose name and checksum have passed. False unless it
// is a valid fix: status A, a mode other than N, both coordinates numbers
// with their hemisphere letters.
bool readRmcFix(const char* sentence, RmcFix& fix);

// The time field hhmmss[.ss] as seconds of the day; -1 when it is no time.
double secondsOfDay(const char* time);

// The fix's date ddmmyy and time hhmmss[.ss] as UTC seconds since 1970;
// -1 when either is no date or time. Two-digit years from 80 are 19xx.
double utcSeconds(const char* date, const char* time);

// A whole sentence as the framing hands it over: true for an RMC sentence
// with a correct checksum that is a valid fix. Once the name and the
// checksum have passed, its commas become blanks.
bool readRmcSentence(char* sentence, RmcFix& fix);
