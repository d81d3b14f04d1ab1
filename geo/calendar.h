// Dates as the program counts them: days of the (proleptic) Gregorian
// calendar since 1970-01-01, for the receiver's dates and the track's times.
#pragma once

long long daysSince1970(int year, int month, int day);
