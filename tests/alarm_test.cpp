#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "alarm/proximity.h"
#include "alarm/sections.h"
#include "alarm/sounds.h"
#include "fake_platform.h"
#include "helpers.h"
#include "geo/geo.h"

namespace {

constexpr double kLength = 9.0;
constexpr double kWide = 53.0;

const char* name(AlarmLevel level) { return level == kAlarm1 ? "outer" : level == kAlarm2 ? "middle" : level == kAlarm4 ? "inner" : ""; }

// A list walked from positions at the default radii.
struct Walk {
    std::vector<Poi> pois;
    AlarmRadii radii{0.3, 0.15, 0.05};
    WarningRules rules;
    ProximityReport report;
    explicit Walk(std::initializer_list<PoiSpec> list) : pois(makePois(list)) {}
    // The level the POI reached at this position ("" for none).
    const char* at(double length, double wide)
    {
        checkProximity(pois.data(), static_cast<int>(pois.size()), {length, wide}, radii, rules, report);
        for (const PoiFinding& f : report.findings)
            if (f.level != kNoAlarm) return name(f.level);
        return "";
    }
};

// One POI north (+) or south (-) of the car at each fix: the level each fix
// reaches, with the rules off, with warnAheadOnly and warnSeconds=15, or
// for a camera with a limit of 50 that checks northbound traffic, with
// warnOverLimitOnly.
TEST(Proximity, LevelsAtConsecutiveFixes)
{
    enum { kPlain, kAhead15, kCamera50North };
    const struct {
        const char* legend;
        int rules;
        std::vector<std::vector<double>> fixes;  // km/h (-1 unknown), course, km to the POI
        std::vector<std::string> levels;
    } cases[] = {
        {"passing by", kPlain, {{-1, 0, 1.0}, {-1, 0, 0.25}, {-1, 0, 0.12}, {-1, 0, 0.04}, {-1, 0, 0.04}, {-1, 0, -0.2}},
         {"", "outer", "middle", "inner", "", ""}},
        {"first met inside, from the inside out", kPlain, {{-1, 0, 0.04}, {-1, 0, 0.04}, {-1, 0, 0.04}, {-1, 0, 0.04}},
         {"inner", "middle", "outer", ""}},
        {"beyond the outer radius arms again", kPlain, {{-1, 0, 0.25}, {-1, 0, 0.35}, {-1, 0, 0.25}}, {"outer", "", "outer"}},
        {"exactly the outer radius clears nothing", kPlain, {{-1, 0, 0.25}, {-1, 0, 0.3}, {-1, 0, 0.25}}, {"outer", "", ""}},
        {"behind, then ahead after a U-turn: once", kAhead15, {{50, 0, -0.2}, {50, 180, -0.2}, {50, 180, -0.19}},
         {"", "outer", ""}},
        {"130 km/h: 0.54, 0.27 and 0.09 km", kAhead15, {{130, 0, 0.5}, {130, 0, 0.26}, {130, 0, 0.085}},
         {"outer", "middle", "inner"}},
        {"braking after the warning arms nothing again", kAhead15,
         {{130, 0, 0.5}, {50, 0, 0.45}, {50, 0, 0.29}, {50, 0, 0.14}}, {"outer", "", "", "middle"}},
        {"beyond the radius of the warning, armed again", kAhead15, {{130, 0, 0.5}, {50, 0, 0.6}, {50, 0, 0.29}},
         {"outer", "", "outer"}},
        {"standing still: every direction", kAhead15, {{3, 0, -0.1}}, {"middle"}},
        {"under the limit, then going south: silent; speeding up inside", kCamera50North,
         {{40, 0, 0.25}, {60, 180, 0.2}, {60, 0, 0.12}, {60, 0, 0.04}}, {"", "", "middle", "inner"}},
    };
    for (const auto& c : cases) {
        Walk a({{kLength, kWide, "P"}});
        a.rules.aheadOnly = c.rules == kAhead15;
        a.rules.seconds = c.rules == kAhead15 ? 15 : 0;
        a.rules.overLimitOnly = c.rules == kCamera50North;
        if (c.rules == kCamera50North) {
            a.pois[0].limitKmh = 50;
            a.pois[0].heading = 360;
        }
        std::vector<std::string> levels;
        for (const auto& f : c.fixes) {
            a.rules.moving(f[0], f[1]);
            levels.push_back(a.at(kLength, wideNorthOf(kWide, -f[2])));
        }
        EXPECT_EQ(levels, c.levels) << c.legend;
    }
}

// A distance equal to a radius is neither inside it nor beyond it.
TEST(Proximity, ADistanceEqualToARadius)
{
    Walk a({{kLength, wideNorthOf(kWide, 0.1), "P"}});
    double d = greatCircleDistance(kLength, kLength, kWide, a.pois[0].wide);
    a.radii.inner = d;
    EXPECT_STREQ(a.at(kLength, kWide), "middle");  // not the inner one
    a.radii.outer = a.radii.middle = d;
    a.pois[0].alarm1Fired = 1;
    EXPECT_STREQ(a.at(kLength, kWide), "");
    EXPECT_EQ(a.pois[0].alarm1Fired, 1);  // not cleared
    EXPECT_FALSE(a.report.findings[0].inReach);
}

TEST(WarningRules, ConeSpeedsAndRadii)
{
    const struct {
        const char* legend;
        double kmh, course, bearing;  // -1: the field was empty
        bool announced;
    } cones[] = {
        {"just inside the cone", 50, 0, 59.9, true},    {"just outside", 50, 0, 60.1, false},
        {"across north", 50, 359, 1, true},             {"across north, outside", 50, 1, 300, false},
        {"behind", 50, 90, 270, false},                 {"walking speed: every direction", 9.9, 0, 180, true},
        {"no course: every direction", 50, -1, 180, true}, {"no speed: every direction", -1, 0, 180, true},
    };
    for (const auto& c : cones) {
        WarningRules rules;
        rules.aheadOnly = true;
        rules.moving(c.kmh, c.course);
        EXPECT_EQ(rules.announces(c.bearing), c.announced) << c.legend;
    }
    const struct {
        int seconds;  // 0 for none
        double kmh, scale;
    } radii[] = {{15, 130, 1.8056}, {15, 50, 1.0}, {15, 0, 1.0}, {15, -1, 1.0}, {0, 130, 1.0}, {60, 36, 2.0}};
    for (const auto& r : radii) {
        WarningRules rules;
        rules.seconds = r.seconds;
        rules.moving(r.kmh, 0);
        EXPECT_NEAR(rules.radiusScale(0.3), r.scale, 1e-4) << r.seconds << " s at " << r.kmh << " km/h";
    }
    // A camera that checks northbound traffic (360), or both ways (90/270),
    // or has a limit of 50: whether it may be announced.
    const struct {
        const char* legend;
        int heading, bothWays, limit;
        double kmh, course;
        bool allowed;
        bool checkDirections = true;
    } pois[] = {
        {"within the tolerance", 360, 0, 0, 50, 45, true},     {"just outside", 360, 0, 0, 50, 45.1, false},
        {"across north", 360, 0, 0, 50, 316, true},            {"the other way", 360, 0, 0, 50, 180, false},
        {"both ways, the opposite", 90, 1, 0, 50, 260, true},  {"both ways, across", 90, 1, 0, 50, 180, false},
        {"standing still", 360, 0, 0, 9.9, 180, true},         {"no course", 360, 0, 0, 50, -1, true},
        {"directions off", 360, 0, 0, 50, 180, true, false}, {"over the limit", 0, 0, 50, 50.1, 0, true},
        {"at the limit", 0, 0, 50, 50, 0, false},              {"speed unknown", 0, 0, 50, -1, 0, true},
    };
    for (const auto& p : pois) {
        WarningRules rules;
        rules.overLimitOnly = true;
        rules.checkDirections = p.checkDirections;
        rules.moving(p.kmh, p.course);
        Poi poi{};
        poi.heading = static_cast<int16_t>(p.heading);
        poi.bothWays = static_cast<uint8_t>(p.bothWays);
        poi.limitKmh = static_cast<int16_t>(p.limit);
        EXPECT_EQ(rules.allows(poi), p.allowed) << p.legend;
    }
    EXPECT_NEAR(bearingTo({9.0, 53.0}, {9.0, 53.1}), 0.0, 1e-9);
    EXPECT_NEAR(bearingTo({9.0, 53.0}, {8.9, 53.0}), 270.0, 0.1);
}

// What the driver hears: the sound calls and pauses of each pattern.
TEST(Sounds, EachPatternPlaysItsDingsPausesAndWarning)
{
    const struct {
        void (*pattern)(void*);
        const char* calls;
    } cases[] = {
        {playFirstData, "ding|Sleep 1000|ding|Sleep 1000|"},
        {playAlarm1, "ding|"},
        {playAlarm2, "ding|Sleep 500|ding|"},
        {playAlarm4, "ding|Sleep 100|ding|Sleep 100|ding|Sleep 100|ding|Sleep 100|PlaySoundA sounds\\Achtung.wav|"},
    };
    for (const auto& c : cases) {
        InTempDir dir;
        c.pattern(nullptr);
        std::string calls;
        for (const std::string& call : fake::state.calls) calls += (call == "PlaySoundA sounds\\ding.wav" ? "ding" : call) + "|";
        EXPECT_EQ(calls, c.calls) << c.calls;
    }
}

}  // namespace

namespace {

// A section due north from (9, 53) to 2 km on, limit 80; the car's positions
// as km north (and east) of its start, with their times (s) and the speed
// the receiver gives; what the watch says, and the average it ends with.
// Some rows read the list anew on the way, with or without the section.
TEST(Sections, AverageAllowedEnteringAndLeaving)
{
    using Samples = std::vector<std::vector<double>>;  // km north, km east, s, km/h
    auto drive = [](double fromKm, double toKm, double kmh, double hz = 1) {
        Samples samples;
        double step = (toKm > fromKm ? 1 : -1) * kmh / 3600 / hz;
        for (double k = fromKm, t = 0; (toKm - k) * step > 0; k += step, t += 1 / hz) samples.push_back({k, 0, t, kmh});
        return samples;
    };
    auto then = [](Samples a, const Samples& b) {
        double after = a.back()[2] + (b.size() > 1 ? b[1][2] - b[0][2] : 1);
        for (auto s : b) a.push_back({s[0], s[1], s[2] + after, s[3]});
        return a;
    };
    auto without = [](Samples a, double fromKm, double toKm) {  // a tunnel: no fix between
        a.erase(std::remove_if(a.begin(), a.end(), [&](const auto& s) { return s[0] > fromKm && s[0] < toKm; }), a.end());
        return a;
    };
    auto standing = [](double atKm, double seconds, double hz) {  // in a jam, the receiver's 1 m noise
        Samples samples;
        for (int i = 0; i < seconds * hz; ++i)
            samples.push_back({atKm + (i * 7919 % 21 - 10) / 10000.0, (i * 104729 % 21 - 10) / 10000.0, i / hz, 0});
        return samples;
    };
    auto beside = [](Samples a, double eastKm) {  // a road alongside
        for (auto& s : a) s[1] = eastKm;
        return a;
    };
    auto turning = drive(-0.05, 0.4, 100);
    for (int i = 1; i <= 80; ++i) turning.push_back({0.4, i * 100 / 3600.0, turning.back()[2] + 1, 100});
    const struct {
        const char* legend;
        Samples samples;
        const char* said;
        double reloadAtKm = -1;  // a list read anew here, its section with this limit
        int reloadLimit = 80;
    } rows[] = {
        {"100 km/h the right way, 20 m beside the points: in, over once, out at 100", beside(drive(-0.05, 2.1, 100), 0.02), "in over out:100"},
        {"70 km/h: in, out at 70, no warning", drive(-0.05, 2.1, 70), "in out:70"},
        {"the other way: nothing", drive(2.1, -0.05, 100), ""},
        {"joining the road inside: nothing", drive(0.3, 2.1, 100), ""},
        {"a gap across the end: the straight line across it", without(drive(-0.05, 2.2, 100), 1.3, 2.15), "in over out:100"},
        {"a road 100 m alongside: nothing", beside(drive(-0.05, 2.1, 100), 0.1), ""},
        {"a gap across start and end: out at once, no late warning", without(drive(-0.5, 2.6, 100), -0.2, 2.3), "in out:100"},
        {"60, then 130: warned as it speeds up, in time", then(drive(-0.05, 1, 60), drive(1, 2.1, 130)), "in over out:82"},
        {"100, then 60: warned at 100 only, out at 75", then(drive(-0.05, 1, 100), drive(1, 2.1, 60)), "in over out:75"},
        {"ten minutes standing at 1 Hz: nothing but the time", then(then(drive(-0.05, 1, 50), standing(1, 600, 1)), drive(1, 2.1, 50)), "in out:10"},
        {"the same at 10 Hz", then(then(drive(-0.05, 1, 50, 10), standing(1, 600, 10)), drive(1, 2.1, 50, 10)), "in out:10"},
        {"75, then 150, the list read anew inside", then(drive(-0.05, 1, 75), drive(1, 2.1, 150)), "in over out:99", 0.02},
        {"a list whose section has another limit: it ends", drive(-0.05, 2.1, 70), "in dropped", 1.0, 100},
        {"turning off the road", turning, "in over away:95"},
    };
    for (const auto& r : rows) {
        SectionWatch watch;
        Section s{{9.0, 53.0}, {9.0, wideNorthOf(53.0, 2.0)}, 80, 2.0, "A"};
        watch.take({s});
        std::string said;
        auto tell = [&said](const std::vector<SectionEvent>& events) {
            for (const SectionEvent& e : events) {
                const char* kinds[] = {"in", "over", "out", "away", "dropped"};
                said += (said.empty() ? "" : " ") + std::string(kinds[e.kind]);
                if (e.kind == SectionEvent::kLeft || e.kind == SectionEvent::kLeftOnTheWay)
                    said += ":" + std::to_string(static_cast<int>(e.averageKmh + 0.5));
            }
        };
        bool reloaded = false;
        for (const auto& at : r.samples) {
            Place p{9.0 + at[1] / (6371.0 * 3.14159265 / 180.0 * cos(53.0 * kRadiansPerDegree)), wideNorthOf(53.0, at[0])};
            tell(watch.update(p, 43000 + at[2], at[3]));
            if (r.reloadAtKm >= 0 && !reloaded && at[0] > r.reloadAtKm) {
                reloaded = true;
                Section fresh = s;
                fresh.limitKmh = r.reloadLimit;
                tell(watch.take({fresh}));
            }
            // Half way at a steady 100 km/h: 36 s taken of the 90 the limit allows, 1 km left.
            if (strncmp(r.legend, "100 km/h", 8) == 0 && at[0] > 0.99 && at[0] < 1.01) {
                EXPECT_NEAR(watch.allowedKmh(), 66.7, 1.5) << at[0];
            }
        }
        EXPECT_EQ(said, r.said) << r.legend;
    }
}

}  // namespace

// The walk bounded by the ordering's keys against the whole walk, fix by
// fix along a 20 km drive through 6,000 POIs, turning, its speed and so its
// radii changing at once, the list ordered again every 5 km as the program
// does: the same findings, count and latches. Among
// them a POI 30 km from a fix, two just inside the grown outer radius, ahead
// and behind, 5 km from where the list was ordered, one latched far behind
// and one latched beyond the end of the walk.
TEST(Proximity, BoundedWalkFindsWhatTheWholeWalkFinds)
{
    std::vector<Poi> pois;
    unsigned seed = 7;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) % 100000 / 100000.0; };
    // 10 km north, then 10 km east; 1,000 POIs along each leg, within 0.6 km
    // of it, and 4,000 in 80 x 80 km around.
    const double eastKm = 111.32 * std::cos(wideNorthOf(kWide, 10) * kRadiansPerDegree);
    auto at = [&](double km) {
        return km <= 10 ? Place{kLength, wideNorthOf(kWide, km)} : Place{kLength + (km - 10) / eastKm, wideNorthOf(kWide, 10)};
    };
    for (int i = 0; i < 6000; ++i) {
        Poi p{};
        Place along = at(next() * 21 - 0.5);
        p.length = i < 2000 ? along.length + (next() - 0.5) * 0.018 : kLength + (next() - 0.5) * 1.2;
        p.wide = i < 2000 ? along.wide + (next() - 0.5) * 0.011 : kWide + (next() - 0.5) * 0.72;
        p.heading = static_cast<int16_t>(i % 3 ? 0 : 180);
        snprintf(p.name, sizeof p.name, "P%d", i);
        pois.push_back(p);
    }
    auto row = [&](double length, double wide, const char* name, bool latched) {
        Poi p{};
        p.length = length;
        p.wide = wide;
        p.alarm1Fired = latched;
        snprintf(p.name, sizeof p.name, "%s", name);
        pois.push_back(p);
    };
    row(kLength, wideNorthOf(kWide, 40), "at30", false);                   // the fix 10 km on
    row(kLength, wideNorthOf(kWide, 4.95 - 0.54), "behind5", false);  // from the fix 4.95 km on, just inside
    row(kLength, wideNorthOf(kWide, 4.95 + 0.54), "ahead5", false);   // the radius grown to 0.5417 km
    row(kLength, wideNorthOf(kWide, -20), "behind", true);
    row(kLength, wideNorthOf(kWide, -45), "beyond", true);
    std::vector<Poi> whole = pois, bounded = pois;
    AlarmRadii radii{0.3, 0.15, 0.05};
    WarningRules rules;
    rules.seconds = 15;
    OrderedAround order;
    ProximityIndex index;
    ProximityReport a, b;
    int count = static_cast<int>(pois.size()), levels = 0;
    for (double km = 0; km <= 20; km += 0.025) {
        Place here = at(km);
        rules.moving(km < 15.05 ? 60 : 200, km <= 10 ? 0 : 90);
        if (order.keys.empty() || order.farFrom(here.length, here.wide)) {
            orderByDistance(whole.data(), count, here.length, here.wide);
            std::vector<double> keys;
            orderByDistance(bounded.data(), count, here.length, here.wide, &keys);
            order.take(here.length, here.wide, std::move(keys));
        }
        checkProximity(whole.data(), count, here, radii, rules, a);
        index.walk(bounded.data(), count, order, here, radii, rules, b);
        ASSERT_EQ(a.withinSearch, b.withinSearch) << km;
        ASSERT_EQ(a.findings.size(), b.findings.size()) << km;
        for (size_t f = 0; f < a.findings.size(); ++f) {
            const PoiFinding &x = a.findings[f], &y = b.findings[f];
            ASSERT_EQ(std::make_tuple(x.poi - whole.data(), x.km, x.nearest, x.inReach, x.level, x.latchesDropped),
                      std::make_tuple(y.poi - bounded.data(), y.km, y.nearest, y.inReach, y.level, y.latchesDropped))
                << km << " km, " << x.poi->name;
            levels += x.level != kNoAlarm;
        }
    }
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(std::make_tuple(whole[i].alarm1Fired, whole[i].alarm2Fired, whole[i].alarm4Fired, whole[i].latchRadius),
                  std::make_tuple(bounded[i].alarm1Fired, bounded[i].alarm2Fired, bounded[i].alarm4Fired, bounded[i].latchRadius))
            << whole[i].name;
        if (!strcmp(whole[i].name, "behind") || !strcmp(whole[i].name, "beyond")) {
            EXPECT_EQ(whole[i].alarm1Fired, !strcmp(whole[i].name, "beyond")) << "dropped only within the walk";
        }
    }
    EXPECT_GT(levels, 30);
}
