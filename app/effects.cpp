#include "app/effects.h"

#include <algorithm>
#include <cstdio>

#include "alarm/sounds.h"

namespace {

// The track names each kind of section event, in the order of the kinds.
static_assert(trackformat::kSectionEventCount == SectionEvent::kDropped + 1, "a name for each kind");

// The pattern of each level a POI reaches.
void (*patternOf(AlarmLevel level))(void*)
{
    return level == kAlarm4 ? playAlarm4 : level == kAlarm2 ? playAlarm2 : playAlarm1;
}

// A pattern's phrase (speech=LANGUAGE): the POI with its distance, its limit
// and, at the second and last level, whether the car is over it; or the
// section event.
std::string phraseOf(const PhraseTable& t, const Sounding& what)
{
    if (what.poi) {
        const Poi& poi = *what.poi->poi;
        return approachPhrase(t, poi.name, poi.limitKmh, what.poi->km, what.poi->level == kAlarm1 ? -1 : what.kmh);
    }
    const SectionEvent& e = *what.section;
    int average = static_cast<int>(e.averageKmh + 0.5);
    if (e.kind == SectionEvent::kEntered) return sectionEnteredPhrase(t, e.section->lengthKm, e.section->limitKmh);
    if (e.kind == SectionEvent::kOverLimit)
        return sectionOverPhrase(t, average, e.allowedKmh < 0 ? -1 : static_cast<int>(e.allowedKmh));
    return sectionLeftPhrase(t, average);
}

SpeechSubject subjectOf(const Sounding& what)
{
    if (what.poi) return {what.poi->poi->name, what.poi->poi->length, what.poi->poi->wide, true};
    return {what.section->section->name, 0, 0, false};
}

}  // namespace

void Effects::of(const ProximityReport& report, double kmh)
{
    for (const PoiFinding& found : report.findings) of(found, report, kmh);
    if (report.withinSearch >= 0)
        logDetail(log, "%d POIs are in the radius of %dkm\n", report.withinSearch, static_cast<int>(kSearchRadiusKm));
    if (!speaker.on()) return;
    speaker.follow([&](const SpeechSubject& s) {
        for (const PoiFinding& f : report.findings)
            if (s.name == f.poi->name && s.length == f.poi->length && s.wide == f.poi->wide) return f.km;
        return -1.0;
    });
    spoken();
}

void Effects::of(const PoiFinding& found, const ProximityReport& report, double kmh)
{
    const Poi& poi = *found.poi;
    if (found.nearest)
        logDetail(log, "nearest POI: name=%10s %lf km    length=%lf wide=%lf \n", poi.name, found.km, poi.length, poi.wide);
    if (found.inReach) {
        track.poiInReach(poi.name, poi.length, poi.wide, poi.limitKmh);
        char limit[32] = "";
        if (poi.limitKmh != kNoLimit) snprintf(limit, sizeof limit, " (limit %d km/h)", poi.limitKmh);
        if (report.scale > 1.0)
            logMessage(log, "POI in the near %lf km    length=%lf wide=%lf name=%s%s (%d km/h: radius %lf km)\n", found.km,
                       poi.length, poi.wide, poi.name, limit, static_cast<int>(kmh + 0.5), report.radii.outer);
        else
            logMessage(log, "POI in the near %lf km    length=%lf wide=%lf name=%s%s\n", found.km, poi.length, poi.wide,
                       poi.name, limit);
    }
    if (found.level != kNoAlarm) {
        int level = found.level == kAlarm4 ? trackformat::kLastLevel : found.level;
        track.warning(level, found.km, poi.name, poi.length, poi.wide, poi.limitKmh);
        sound({patternOf(found.level), &found, nullptr, kmh});
    }
}

void Effects::of(const std::vector<SectionEvent>& events)
{
    for (const SectionEvent& e : events) of(e);
    if (!events.empty()) spoken();
}

void Effects::of(const SectionEvent& e)
{
    int average = static_cast<int>(e.averageKmh + 0.5);
    const Section& s = *e.section;
    track.section(e.kind, s.name, average, s.limitKmh, e.drivenKm);
    switch (e.kind) {
    case SectionEvent::kEntered:
        logMessage(log, "Entering section %s: %.1f km, limit %d km/h\n", s.name, s.lengthKm, s.limitKmh);
        return sound({playAlarm1, nullptr, &e, -1});
    case SectionEvent::kOverLimit:
        if (e.allowedKmh >= 0)
            logMessage(log, "Section %s: at this speed the average ends at %d km/h, over the limit of %d km/h; "
                            "at most %d km/h for the last %.1f km\n",
                       s.name, average, s.limitKmh, static_cast<int>(e.allowedKmh), std::max(s.lengthKm - e.drivenKm, 0.0));
        else
            logMessage(log, "Section %s: at this speed the average ends at %d km/h, over the limit of %d km/h "
                            "whatever the speed now\n",
                       s.name, average, s.limitKmh);
        return sound({playWarning, nullptr, &e, -1});
    case SectionEvent::kLeft:
        logMessage(log, "Leaving section %s: average %d km/h over %.1f km, limit %d km/h\n", s.name, average, e.drivenKm,
                   s.limitKmh);
        return sound({playAlarm1, nullptr, &e, -1});
    case SectionEvent::kLeftOnTheWay:
        logMessage(log, "Left section %s on the way after %.1f km, average %d km/h\n", s.name, e.drivenKm, average);
        return;
    case SectionEvent::kDropped:
        logMessage(log, "Section %s is no longer in the list: not followed any more after %.1f km, average %d km/h\n",
                   s.name, e.drivenKm, average);
        return;
    }
}

// Each pattern on a thread of its own, so that nothing waits for a sound;
// its phrase follows it there.
void Effects::sound(const Sounding& what)
{
    if (!speaker.on()) {
        _beginthread(what.pattern, 0, nullptr);
        return;
    }
    speaker.say(what.pattern, subjectOf(what), what.poi ? what.poi->km : 0, phraseOf(speaker.phrases(), what));
}

void Effects::spoken()
{
    for (const SpeechNews& n : speaker.news()) {
        logMessage(log, n.said ? "(speech: %s)\n" : "(speech dropped: %s)\n", n.text.c_str());
        if (n.said) track.spoken(n.text.c_str());
    }
}
