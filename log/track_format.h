// The track file (trackLog=true) as the program writes it (log/track.cpp)
// and poiguard-report reads it (report/drive.cpp): one record a line,
//
//   2026-12-08T10:15:30.5Z,F,8.800000,53.070000,90.0,12.5
//   time (UTC),            kind, the car's length and wide, then the kind's own fields.
//
// A name comes last and may hold commas.
#pragma once

#include <cstddef>
#include <string_view>

namespace trackformat {

// The header every file begins with; lines beginning with # are no record.
constexpr const char* kHeader =
    "# poiguard track, times UTC; F fix and E estimate: time,kind,length,wide,km/h,course; "
    "P POI in reach: ...,limit,POI length,wide,name; W warning: ...,level,km,limit,POI length,wide,name; "
    "S section: ...,event,average km/h,limit,km,name\n";

// The fields every record begins with: time, kind, the car's length and wide.
constexpr const char* kCommon = "%s,%c,%.6f,%.6f,";

// Each kind of record and its own fields after the common ones.
struct Kind {
    char letter;
    const char* fields;  // as printed
};
// A fix and an estimated position: km/h, course (each empty when unknown).
constexpr Kind kFix{'F', "%s,%s"}, kEstimate{'E', kFix.fields};
// A POI came in reach (once a file): its limit, length, wide, name.
constexpr Kind kPoiInReach{'P', "%d,%.6f,%.6f,%s"};
// A warning sounded: its level, km to the POI, the POI's limit, length, wide, name.
constexpr Kind kWarning{'W', "%d,%.3f,%d,%.6f,%.6f,%s"};
// A section event: its name (kSectionEvents), average km/h, limit, km driven, the section's name.
constexpr Kind kSection{'S', "%s,%d,%d,%.2f,%s"};
// A phrase said after a warning (speech=de): its text.
constexpr Kind kSpoken{'V', "%s"};

constexpr size_t fieldsIn(const char* format)
{
    size_t count = 1;
    for (; *format; ++format) count += *format == ',';
    return count;
}
// The fields of a record of this kind, its name included; 0 for no kind.
constexpr size_t fieldsOf(char letter)
{
    for (const Kind& k : {kFix, kEstimate, kPoiInReach, kWarning, kSection, kSpoken})
        if (k.letter == letter) return fieldsIn(kCommon) - 1 + fieldsIn(k.fields);
    return 0;
}

// A warning's levels: the outer radius's, the middle one's, the inner one's.
constexpr int kFirstLevel = 1, kLastLevel = 3;
constexpr const char* kLevelNames[] = {"", "first warning", "second warning", "last warning"};

// The events of a section, in the order of SectionEvent's kinds: entered,
// over the limit, left at its end, left on the way, no longer in the list.
constexpr const char* kSectionEvents[] = {"entered", "over", "left", "away", "dropped"};
constexpr size_t kSectionEventCount = sizeof kSectionEvents / sizeof kSectionEvents[0];
constexpr const char *kEntered = kSectionEvents[0], *kOver = kSectionEvents[1];
// Whether the event ends the section: the three after these two. (No
// <algorithm> or <iterator> here: on MinGW they bring the C run-time's
// thread declarations into every file that writes the track.)
inline bool endsSection(std::string_view event)
{
    for (size_t i = 2; i < kSectionEventCount; ++i)
        if (event == kSectionEvents[i]) return true;
    return false;
}

}  // namespace trackformat
