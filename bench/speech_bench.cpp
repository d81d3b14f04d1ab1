// The CPU time eSpeak NG takes to synthesize each phrase of bench/speech.sh's
// drive, through the program's own synthesis, on this thread: the median of
// five rounds, with the length of the speech it gives.
//   speech_bench [de|en]
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform.h"
#include "platform/posix/speech_espeak.h"
#include "speech/phrases.h"

namespace {

double cpuMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* language = argc > 1 ? argv[1] : "de";
    char why[256];
    if (!phraseTable(language) || !speechStart(language, why, sizeof why)) {
        fprintf(stderr, "speech_bench: no speech for %s: %s\n", language, why);
        return 1;
    }
    const PhraseTable& t = *phraseTable(language);
    std::vector<std::string> phrases;
    for (const char* camera : {"fixed_50", "redlight_speed_80", "mobile_30"})
        for (double km : {0.3, 0.15, 0.05}) phrases.push_back(approachPhrase(t, camera, 0, km, km < 0.3 ? 90 : -1));
    phrases.push_back(sectionEnteredPhrase(t, 0.5, 80));
    phrases.push_back(sectionOverPhrase(t, 90, 74));
    phrases.push_back(sectionLeftPhrase(t, 90));
    std::vector<double> all;
    for (const std::string& text : phrases) {
        std::vector<double> ms;
        size_t samples = 0;
        for (int round = 0; round < 5; ++round) {
            double before = cpuMs();
            samples = synthesizeSpeech(text).size();
            ms.push_back(cpuMs() - before);
        }
        std::sort(ms.begin(), ms.end());
        all.push_back(ms[2]);
        printf("%7.1f ms CPU for %4.2f s of speech: %s\n", ms[2], samples / static_cast<double>(speechRate()), text.c_str());
    }
    std::sort(all.begin(), all.end());
    printf("per phrase: median %.1f ms, at most %.1f ms\n", all[all.size() / 2], all.back());
    return 0;
}
