#include <gtest/gtest.h>

#include "fake_platform.h"
#include "helpers.h"
#include "speech/phrases.h"
#include "speech/speaker.h"

namespace {

std::string both(const char* name, int limit, double km, double kmh)
{
    return approachPhrase(*phraseTable("de"), name, limit, km, kmh) + " | " +
           approachPhrase(*phraseTable("en"), name, limit, km, kmh);
}

// Each kind of the importer's names, and names of no kind, in both languages.
TEST(Phrases, WhatHowFarAndTheLimitInBothLanguages)
{
    const struct {
        const char* name;
        int limit;  // the POI's own
        double km;
        double kmh;  // -1: not compared
        const char* said;
    } rows[] = {
        {"fixed_50", 50, 0.3, 50, "Blitzer in 300 Metern, 50 | Speed camera in 300 metres, limit 50"},
        {"cam_30", 0, 0.148, 31, "Blitzer in 150 Metern, 30, zu schnell | Speed camera in 150 metres, limit 30, too fast"},
        {"MOBILE_80", 70, 1.0, 70, "Mobiler Blitzer in einem Kilometer, 70 | Mobile speed camera in 1 kilometre, limit 70"},
        {"redlight", 0, 0.047, 60, "Ampelblitzer in 50 Metern | Red light camera in 50 metres"},
        {"redlight_speed_80", 80, 1.6, -1,
         "Ampel- und Tempoblitzer in 1,5 Kilometern, 80 | Red light and speed camera in 1.5 kilometres, limit 80"},
        {"section_100", 100, 0.3, 120,
         "Abschnittskontrolle in 300 Metern, 100, zu schnell | Section control in 300 metres, limit 100, too fast"},
        {"poi_17", 0, 0.3, 90, "poi 17 in 300 Metern | poi 17 in 300 metres"},
        {"fixed_speed", 0, 0.3, -1, "fixed speed in 300 Metern | fixed speed in 300 metres"},
        {"A7km12", 0, 0.3, -1, "A 7 km 12 in 300 Metern | A 7 km 12 in 300 metres"},
    };
    for (const auto& r : rows) EXPECT_EQ(both(r.name, r.limit, r.km, r.kmh), r.said) << r.name;
}

TEST(Phrases, DistancesAsPeopleSayThem)
{
    const double km[] = {0.0, 0.004, 0.044, 0.094, 0.0951, 0.374, 0.376, 0.974, 0.976, 1.24, 9.74, 9.76, 12.4};
    const int metres[] = {10, 10, 40, 90, 100, 350, 400, 950, 1000, 1000, 9500, 10000, 12000};
    for (size_t i = 0; i < std::size(km); ++i) EXPECT_EQ(roundedMetres(km[i]), metres[i]) << km[i];
}

TEST(Phrases, Sections)
{
    for (const char* language : {"de", "en"}) {
        const PhraseTable& t = *phraseTable(language);
        std::string said = sectionEnteredPhrase(t, 2.1, 80) + " | " + sectionOverPhrase(t, 90, 74) + " | " +
                           sectionOverPhrase(t, 95, -1) + " | " + sectionLeftPhrase(t, 78);
        EXPECT_EQ(said, language[0] == 'd' ? "Abschnittskontrolle, 2 Kilometer, 80 | Durchschnitt 90, erlaubt noch 74 | "
                                             "Durchschnitt 95, nicht mehr zu halten | Abschnittsende, Durchschnitt 78"
                                           : "Section control, 2 kilometres, limit 80 | Average 90, allowed 74 from here | "
                                             "Average 95, the limit can no longer be kept | End of section, average 78");
    }
    EXPECT_EQ(phraseTable("fr"), nullptr);
}

void pattern(void*) { PlaySoundA("sounds\\ding.wav", nullptr, SND_FILENAME | SND_ASYNC); }

// Phrases wait for their patterns' ends (held threads); what is no longer
// true by then is dropped: the same POI's next level, a POI passed or gone
// from sight. Another POI's phrase and a section's stay.
TEST(Speaker, DropsWhatIsNoLongerTrue)
{
    Logged here;
    fake::state.holdThreads = true;
    Speaker speaker;
    std::string why;
    ASSERT_TRUE(speaker.start("de", why));
    SpeechSubject a{"A", 9, 53}, b{"B", 9, 53.1}, c{"C", 9, 53.2}, section{"S", 9, 53.3, false};
    speaker.say(pattern, a, 0.3, "A 300");
    speaker.say(pattern, b, 0.3, "B 300");
    speaker.say(pattern, c, 0.3, "C 300");
    speaker.say(pattern, section, 0, "S");
    speaker.say(pattern, a, 0.15, "A 150");
    auto kmTo = [](double a, double b) {
        return [=](const SpeechSubject& s) { return s.name == "A" ? a : s.name == "B" ? b : -1.0; };
    };
    speaker.follow(kmTo(0.14, 0.05));
    speaker.follow(kmTo(0.13, 0.071));  // B passed: 21 m beyond its closest
    for (auto h = fake::state.held.rbegin(); h != fake::state.held.rend(); ++h) h->first(h->second);  // the last ends first
    std::string news;
    for (const SpeechNews& n : speaker.news()) news += (n.said ? "said " : "dropped ") + n.text + ", ";
    EXPECT_EQ(news, "dropped A 300, dropped C 300, dropped B 300, said A 150, said S, ");
    EXPECT_EQ(fake::callsNamed("speechPlay"), (std::vector<std::string>{"speechPlay A 150", "speechPlay S"}));
    EXPECT_EQ(fake::callsNamed("speechForget").size(), 3u);
    EXPECT_EQ(fake::callsNamed("PlaySoundA").size(), 5u);  // every pattern played whole
}

// A drive at 60 km/h past a camera with a limit of 50: each level's phrase
// on the console after its near line, too fast at the second and last.
TEST(Speech, ThePhrasesOfADriveOnTheConsole)
{
    Guarded g;
    std::string why;
    ASSERT_TRUE(g.guard.speaker.start("de", why));
    givePois(g.guard, {{9, 53, "fixed_50"}});
    g.guard.poiList[0].limitKmh = 50;
    g.guard.PoiListSorted = 1;
    g.guard.rules.moving(60, 0);
    std::string said;
    for (double km : {0.29, 0.14, 0.04}) {
        g.guard.checkAlarms(9, wideNorthOf(53, -km));
        std::string out = g.console.take();
        said += out.substr(out.find("(speech"));
    }
    EXPECT_EQ(said, "(speech: Blitzer in 300 Metern, 50)\n(speech: Blitzer in 150 Metern, 50, zu schnell)\n"
                    "(speech: Blitzer in 40 Metern, 50, zu schnell)\n");
}

// No voice: one line why, then the warnings as without speech; a language
// without phrases stops start-up as any refused value does.
TEST(Speech, FailingSpeechLeavesTheSounds)
{
    Guarded g;
    fake::state.failing.insert("speechStart");
    writeFile("builtin-poi.csv", "9.1, 53.0, A\n");
    writeFile("config.txt", "startProgram=true\ncomPort=2\nspeech=de\n");
    EXPECT_EQ(g.guard.run(&g.log, 1), kStarted);
    EXPECT_NE(g.console.take().find("speech=de\nSpeech off: no voice for de; the warnings sound as without it\n"), std::string::npos);
    EXPECT_FALSE(g.guard.speaker.on());
    Settings s;
    writeFile("config.txt", "speech=fr\n");
    readSettings("config.txt", s);
    EXPECT_STREQ(s.refused[kSpeech], "give one of de, en");
}

}  // namespace
